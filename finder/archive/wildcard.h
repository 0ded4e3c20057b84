// The * and ? matcher for archive member names (names on disk are matched by
// the platform's directory search).
//
// Rules, walking pattern and name from the left: `?` takes exactly one unit;
// `*` takes any number of units, except that a `*` at the very end of the
// pattern takes at least one (so `*` never matches an empty name, and `a*`
// does not match `a`); any other unit must equal the name's unit after
// folding the ASCII letters a-z to A-Z. An empty pattern matches only an
// empty name. Nothing else is folded and no locale is consulted: a
// double-byte character is two units, and `?` stands for one of them.
//
// Both strings are zero-terminated. The time taken is bounded by the product
// of the two lengths, whatever the number of stars.
#pragma once

bool MatchWildcard(const char* pattern, const char* name);
bool MatchWildcardWide(const char16_t* pattern, const char16_t* name);
