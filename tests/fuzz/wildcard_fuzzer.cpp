// The matcher against the documented recursive algorithm, on pattern and
// name pairs small enough for the recursion to finish; on long inputs the
// matcher alone must not crash (its time is bounded by design).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "finder/archive/wildcard.h"

namespace {

bool Fold(unsigned char a, unsigned char b) {
  auto up = [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; };
  return up(a) == up(b);
}

// Rule by rule as documented, backtracking at every star.
bool Reference(const char* p, const char* n) {
  if (!*p) return !*n;
  while (*p) {
    if (!*n) return false;
    if (*p == '*') {
      for (const char* tail = n; *tail; ++tail)
        if (Reference(p + 1, tail)) return true;
      return p[1] == '\0';
    }
    if (*p != '?' && !Fold(*p, *n)) return false;
    ++p;
    ++n;
  }
  return !*n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  std::size_t split = input.find('\0');
  if (split == std::string::npos) split = input.size() / 3;
  std::string pattern = input.substr(0, split);
  std::string name = input.substr(split < input.size() ? split + 1 : split);
  pattern = pattern.c_str();  // up to an inner zero, as the readers hand them over
  name = name.c_str();

  bool fast = MatchWildcard(pattern.c_str(), name.c_str());
  std::u16string widePattern(pattern.begin(), pattern.end()), wideName(name.begin(), name.end());
  for (auto& unit : widePattern) unit = static_cast<unsigned char>(unit);
  for (auto& unit : wideName) unit = static_cast<unsigned char>(unit);
  if (MatchWildcardWide(widePattern.c_str(), wideName.c_str()) != fast) std::abort();

  std::size_t stars = 0;
  for (char c : pattern) stars += c == '*';
  if (stars <= 6 && pattern.size() <= 24 && name.size() <= 24 &&
      Reference(pattern.c_str(), name.c_str()) != fast)
    std::abort();
  return 0;
}
