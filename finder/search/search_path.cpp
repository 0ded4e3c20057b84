#include "finder/search/search_path.h"

#include <cstring>

namespace {

bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

PathSplit SplitSearchPath(char* path) {
  const std::string_view text(path);
  PathSplit split;
  std::size_t start = 0;
  if (IsAsciiLetter(path[0]) && path[1] == ':') {
    if (path[0] >= 'a') path[0] = static_cast<char>(path[0] - 'a' + 'A');
    start = 2;
  } else if (path[0] == '\\' && path[1] == '\\') {
    // A network path names a computer and a shared directory before any
    // directory of its own; without the share there is nothing to search.
    const std::size_t afterComputer = text.find('\\', 2);
    if (afterComputer == std::string_view::npos ||
        text.find('\\', afterComputer + 1) == std::string_view::npos) {
      split.namesShare = false;
      return split;
    }
    start = afterComputer + 1;
  }
  const std::size_t last = text.rfind('\\');
  split.namePosition = last == std::string_view::npos ? start : last + 1;
  return split;
}

bool WriteAtNamePosition(char* path, std::size_t size, std::size_t namePosition,
                         std::initializer_list<std::string_view> parts) {
  std::size_t total = 0;
  for (std::string_view part : parts) total += part.size();
  if (namePosition >= size || total >= size - namePosition) return false;
  char* out = path + namePosition;
  for (std::string_view part : parts) {
    if (!part.empty()) std::memcpy(out, part.data(), part.size());
    out += part.size();
  }
  *out = '\0';
  return true;
}
