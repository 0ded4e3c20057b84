#include "finder/search/program_lookup.h"

namespace {

// Calls `visit(index)` for every single-byte character and every first byte
// of a double-byte one.
template <typename Visit>
void ForEachCharacter(std::string_view text, bool (*isLeadByte)(unsigned char), Visit visit) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    visit(i);
    if (isLeadByte && isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ++i;
  }
}

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Upper(a[i]) != Upper(b[i])) return false;
  return true;
}

}  // namespace

ProgramName AnalyzeProgramName(std::string_view name, bool (*isLeadByte)(unsigned char)) {
  ProgramName result;
  ForEachCharacter(name, isLeadByte, [&](std::size_t i) {
    if (name[i] == '\\') {
      result.hasDirectory = true;
      result.nameStart = i + 1;
    }
  });
  std::string_view part = name.substr(result.nameStart);
  std::size_t dot = std::string_view::npos;
  ForEachCharacter(part, isLeadByte, [&](std::size_t i) {
    if (part[i] == '.' && i >= 1) dot = i;
  });
  result.stemLength = dot == std::string_view::npos ? part.size() : dot;
  result.hasExtension = dot != std::string_view::npos && dot + 1 < part.size();
  return result;
}

std::vector<std::string> ProgramExtensions(std::string_view pathExt) {
  std::vector<std::string> extensions;
  while (!pathExt.empty()) {
    const std::size_t end = pathExt.find(';');
    const std::string_view entry = pathExt.substr(0, end);
    const bool usable = !entry.empty() && entry.find_first_of("*?\\/\"") == std::string_view::npos;
    bool known = false;
    for (const std::string& extension : extensions) known = known || SameLetters(extension, entry);
    if (usable && !known) extensions.emplace_back(entry);
    if (end == std::string_view::npos) break;
    pathExt.remove_prefix(end + 1);
  }
  if (extensions.empty()) extensions = {".COM", ".EXE", ".BAT", ".CMD"};
  return extensions;
}

std::vector<std::string> PathDirectories(std::string_view path) {
  std::vector<std::string> directories;
  std::string element;
  bool quoted = false;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    const char c = i < path.size() ? path[i] : ';';
    if (c == '"') {
      quoted = !quoted;
    } else if (c == ';' && (!quoted || i == path.size())) {
      if (!element.empty()) directories.push_back(element);
      element.clear();
      quoted = false;
    } else {
      element.push_back(c);
    }
  }
  return directories;
}

bool EndsWithBackslash(std::string_view directory, bool (*isLeadByte)(unsigned char)) {
  bool ends = false;
  ForEachCharacter(directory, isLeadByte, [&](std::size_t i) {
    ends = directory[i] == '\\' && i + 1 == directory.size();
  });
  return ends;
}
