#include "finder/search/search_path.h"

#include <cstring>

namespace {

bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The index of the first backslash at or after `from`, or npos. A lead byte
// takes its second byte with it, whatever that byte is.
std::size_t FindBackslash(const char* path, std::size_t from, LeadByteTest isLeadByte) {
  for (std::size_t i = from; path[i] != '\0'; ++i) {
    if (path[i] == '\\') return i;
    if (isLeadByte && isLeadByte(static_cast<unsigned char>(path[i])) && path[i + 1] != '\0') ++i;
  }
  return std::string_view::npos;
}

}  // namespace

PathSplit SplitSearchPath(char* path, LeadByteTest isLeadByte) {
  PathSplit split;
  std::size_t start = 0;
  if (IsAsciiLetter(path[0]) && path[1] == ':') {
    if (path[0] >= 'a') path[0] = static_cast<char>(path[0] - 'a' + 'A');
    start = 2;
  } else if (path[0] == '\\' && path[1] == '\\') {
    // A network path names a computer and a shared directory before any
    // directory of its own; without the share there is nothing to search.
    std::size_t afterComputer = FindBackslash(path, 2, isLeadByte);
    if (afterComputer == std::string_view::npos ||
        FindBackslash(path, afterComputer + 1, isLeadByte) == std::string_view::npos) {
      split.namesShare = false;
      return split;
    }
    start = afterComputer + 1;
  }
  split.namePosition = start;
  for (std::size_t at = FindBackslash(path, start, isLeadByte); at != std::string_view::npos;
       at = FindBackslash(path, at + 1, isLeadByte))
    split.namePosition = at + 1;
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
