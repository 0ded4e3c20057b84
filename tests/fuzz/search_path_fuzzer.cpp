// The split of the search path and the program name on arbitrary text,
// against the rules read plainly over its bytes (UTF-8, where a 0x5C byte is
// always a backslash): the name begins behind the last backslash, a network
// path needs its shared directory, and writes behind the name position
// either fit whole or change nothing.
// Input: the path up to a zero byte (at most 259 bytes, as the platform forms
// it), then parts to write behind the name position, separated by zero bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "finder/search/program_lookup.h"
#include "finder/search/search_path.h"

namespace {

std::vector<std::size_t> Backslashes(std::string_view text, std::size_t from) {
  std::vector<std::size_t> found;
  for (std::size_t i = from; i < text.size(); ++i)
    if (text[i] == '\\') found.push_back(i);
  return found;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string_view text = input.substr(0, std::min<std::size_t>(input.find('\0'), 259));

  char path[260] = {};
  std::memcpy(path, text.data(), text.size());
  PathSplit split = SplitSearchPath(path);

  bool drive = text.size() >= 2 && text[1] == ':' &&
               ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z'));
  std::string expectedPath(text);
  if (drive && expectedPath[0] >= 'a') expectedPath[0] = static_cast<char>(expectedPath[0] - 32);
  if (std::string_view(path) != expectedPath) std::abort();
  std::size_t start = drive ? 2 : 0;
  bool share = true;
  if (!drive && text.substr(0, 2) == "\\\\") {
    auto after = Backslashes(text, 2);
    share = after.size() >= 2;
    start = share ? after[0] + 1 : 0;
  }
  if (split.namesShare != share) std::abort();
  if (share) {
    auto all = Backslashes(text, start);
    std::size_t position = all.empty() ? start : all.back() + 1;
    if (split.namePosition != position) std::abort();

    // Writes behind the name position: whole, or nothing changed.
    std::vector<std::string_view> parts;
    std::string_view rest =
        input.size() > text.size() ? input.substr(text.size() + 1) : std::string_view();
    while (!rest.empty() && parts.size() < 3) {
      std::size_t zero = rest.find('\0');
      parts.push_back(rest.substr(0, zero));
      rest = zero == std::string_view::npos ? std::string_view() : rest.substr(zero + 1);
    }
    while (parts.size() < 3) parts.push_back({});
    char before[260];
    std::memcpy(before, path, sizeof path);
    bool fits = WriteAtNamePosition(path, sizeof path, position, {parts[0], parts[1], parts[2]});
    std::string whole = std::string(parts[0]) + std::string(parts[1]) + std::string(parts[2]);
    if (fits != (position + whole.size() < sizeof path)) std::abort();
    if (!fits && std::memcmp(before, path, sizeof path) != 0) std::abort();
    if (fits && (std::memcmp(path, before, position) != 0 ||
                 std::memcmp(path + position, whole.data(), whole.size()) != 0 ||
                 path[position + whole.size()] != '\0'))
      std::abort();
  }

  // The program name of /E: the name part behind the last backslash, its
  // stem up to the last "." from its second character on.
  ProgramName program = AnalyzeProgramName(text);
  auto slashes = Backslashes(text, 0);
  std::size_t nameStart = slashes.empty() ? 0 : slashes.back() + 1;
  if (program.hasDirectory != !slashes.empty() || program.nameStart != nameStart) std::abort();
  std::string_view part = text.substr(nameStart);
  std::size_t dot = std::string_view::npos;
  for (std::size_t i = 1; i < part.size(); ++i)
    if (part[i] == '.') dot = i;
  if (program.stemLength != (dot == std::string_view::npos ? part.size() : dot)) std::abort();
  if (program.hasExtension != (dot != std::string_view::npos && dot + 1 < part.size()))
    std::abort();
  return 0;
}
