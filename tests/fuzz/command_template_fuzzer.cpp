// Both template expansions on arbitrary templates, paths and names, against a
// plain reading of the codes into an unbounded string: a command that fits
// is that string; one that does not is refused (false), never run cut.
// Input: one byte of choices (bit 0: member, else file; bit 1: short forms;
// bit 2: the short form of a path comes back without its trailing
// backslash), then template, directory or archive path, long or member
// name, and short name, separated by zero bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "finder/listing/command_template.h"

namespace {

char Up(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

std::string Drive(std::string_view path) {
  bool letter = path.size() >= 2 &&
                ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  return letter && path[1] == ':' ? std::string(path.substr(0, 2)) : std::string();
}

// From the next backslash behind a leading "\\" (else from the third
// character), up to the last backslash.
std::string WithoutDrive(std::string_view path) {
  std::string_view rest;
  if (path.substr(0, 2) == "\\\\") {
    std::size_t next = path.find('\\', 2);
    rest = next == std::string_view::npos ? path : path.substr(next);
  } else if (path.size() >= 2) {
    rest = path.substr(2);
  }
  return std::string(rest.substr(0, std::min(rest.size(), rest.rfind('\\'))));
}

struct Split {
  std::string stem, extension;
  bool dot;
};
Split SplitAtLastDot(std::string_view name) {
  std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return {std::string(name), "", false};
  return {std::string(name.substr(0, dot)), std::string(name.substr(dot + 1)), true};
}

// The platform's short form, here: upper case; the 260-byte scratch holds
// at most 259 bytes.
std::string ShortForm(std::string_view path, bool dropBackslash) {
  std::string out(path);
  for (char& c : out) c = Up(c);
  if (dropBackslash && !out.empty() && out.back() == '\\') out.pop_back();
  return out.substr(0, PathText::capacity());
}

std::string Reference(std::string_view tmpl, bool member, const std::string& directory,
                      std::string_view drivePath, const Split& name, std::string_view fullName,
                      std::string_view memberName) {
  std::string out;
  for (std::size_t i = 0; i < tmpl.size(); ++i) {
    if (tmpl[i] != '$' || i + 1 == tmpl.size()) {
      out += tmpl[i];
      continue;
    }
    char code = Up(tmpl[i + 1]);
    std::string piece;
    bool known = true;
    if (code == '$')
      piece = "$";
    else if (code == 'D')
      piece = Drive(drivePath);
    else if (code == 'P')
      piece = WithoutDrive(directory);
    else if (code == 'N')
      piece = name.stem;
    else if (code == 'E')
      piece = member && !name.dot ? std::string(memberName) : name.extension;
    else if (code == 'F' && !member)
      piece = directory + (directory.empty() || directory.back() == '\\' ? "" : "\\") +
              std::string(fullName);
    else if (code == 'A' && member)
      piece = std::string(directory.substr(directory.rfind('\\') + 1));
    else
      known = false;
    if (known || member) {
      out += piece;
      ++i;
    } else {
      out += '$';  // stays, and the character behind it is plain text
    }
  }
  return out;
}

std::string_view Next(std::string_view& input) {
  std::size_t zero = input.find('\0');
  std::string_view part = input.substr(0, zero);
  input = zero == std::string_view::npos ? std::string_view() : input.substr(zero + 1);
  return part;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool member = data[0] & 1, shortNames = data[0] & 2, dropBackslash = data[0] & 4;
  std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
  std::string_view tmpl = Next(input), path = Next(input), name = Next(input),
                   shortName = Next(input);
  // What the parser leaves: at most 519 bytes.
  tmpl = tmpl.substr(0, CommandText::capacity());

  ShortPathFunction shortPath = [dropBackslash](std::string_view longPath, LongPathText& out) {
    out.Assign(ShortForm(longPath, dropBackslash));
  };
  CommandLineText expanded;
  std::string expected;
  bool fits;
  if (member) {
    fits = ExpandMemberTemplate(tmpl, path, name, shortNames, shortPath, expanded);
    std::string_view archive = path.substr(0, path.find(" : "));
    std::string shown = shortNames ? ShortForm(archive, dropBackslash) : std::string(archive);
    expected = Reference(tmpl, true, shown, archive, SplitAtLastDot(name), {}, name);
  } else {
    fits = ExpandCommandTemplate(tmpl, {path, name, shortName}, shortNames, shortPath, expanded);
    std::string shown = shortNames ? ShortForm(path, dropBackslash) : std::string(path);
    std::string_view used = shortNames && !shortName.empty() ? shortName : name;
    expected = Reference(tmpl, false, shown, path, SplitAtLastDot(used), used, {});
  }
  if (fits != (expected.size() <= CommandLineText::capacity())) std::abort();
  if (fits && expanded.view() != expected) std::abort();
  return 0;
}
