#include "finder/archive/wildcard.h"

#include <cstddef>
#include <string_view>
#include <type_traits>

namespace {

template <typename Unit>
unsigned Fold(Unit unit) {
  // Through the unsigned type of the same width, so that a byte 0x82 is 0x82
  // and never a negative number that could meet a folded letter.
  using Unsigned = std::make_unsigned_t<Unit>;
  unsigned value = static_cast<Unsigned>(unit);
  return value >= 'a' && value <= 'z' ? value - ('a' - 'A') : value;
}

// The matcher as documented tries, at every `*`, the rest of the pattern
// from each position of the name, recursively: exponential in the number of
// stars. The same language is matched here in one pass with a single
// backtracking point, which is enough because a later `*` can always absorb
// what an earlier one would have taken. Two observations make the documented
// rules fit that classic scheme:
//  - a `*` inside the pattern is never tried against an empty tail, but the
//    rest of the pattern could not match an empty tail anyway (a non-empty
//    pattern never matches an empty name), so it matches zero or more units;
//  - only the final `*` is different: it takes at least one unit, which is
//    the same as a `?` followed by a `*` that may take none.
template <typename Unit>
bool Match(std::basic_string_view<Unit> pattern, std::basic_string_view<Unit> name) {
  bool finalStar = !pattern.empty() && pattern.back() == Unit('*');
  std::size_t patternLength = pattern.size() + (finalStar ? 1 : 0);
  auto unitAt = [&](std::size_t i) -> Unit {
    if (finalStar && i >= pattern.size() - 1)
      return i == pattern.size() - 1 ? Unit('?') : Unit('*');
    return pattern[i];
  };

  std::size_t p = 0, n = 0;
  std::size_t starPattern = 0, starName = 0;
  bool haveStar = false;
  while (n < name.size()) {
    if (p < patternLength) {
      Unit unit = unitAt(p);
      if (unit == Unit('*')) {
        haveStar = true;
        starPattern = ++p;
        starName = n;
        continue;
      }
      if (unit == Unit('?') || Fold(unit) == Fold(name[n])) {
        ++p;
        ++n;
        continue;
      }
    }
    if (!haveStar) return false;
    // Let the last `*` take one more unit and try the rest again from there.
    p = starPattern;
    n = ++starName;
  }
  while (p < patternLength && unitAt(p) == Unit('*')) ++p;
  return p == patternLength;
}

}  // namespace

// A lone `*`, the pattern of most archive listings, takes any name of at
// least one unit; told at once, it spares every member the measuring and the
// loop.
template <typename Unit>
bool MatchTerminated(const Unit* pattern, const Unit* name) {
  if (pattern[0] == Unit('*') && pattern[1] == Unit(0)) return name[0] != Unit(0);
  return Match<Unit>(pattern, name);
}

bool MatchWildcard(const char* pattern, const char* name) {
  return MatchTerminated(pattern, name);
}

bool MatchWildcardWide(const char16_t* pattern, const char16_t* name) {
  return MatchTerminated(pattern, name);
}
