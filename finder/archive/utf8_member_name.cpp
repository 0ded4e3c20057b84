#include "finder/archive/utf8_member_name.h"

#include "finder/archive/utf8_name.h"
#include "finder/archive/wildcard.h"
#include "finder/search/search_state.h"

Utf8NameMatch MatchUtf8Name(const char* utf8, AnsiConverter toAnsi, char (&ansi)[kAnsiNameSize]) {
  char16_t wide[kUtf8NameUnits + 1];
  DecodeUtf8Name(utf8, wide, kUtf8NameUnits);
  return MatchWideName(wide, toAnsi, ansi);
}

Utf8NameMatch MatchWideName(const char16_t* wide, AnsiConverter toAnsi,
                            char (&ansi)[kAnsiNameSize]) {
  if (!MatchWildcardWide(searchState.savedPatternWide, wide)) return Utf8NameMatch::NoMatch;
  if (!toAnsi || !toAnsi(wide, ansi, sizeof ansi)) return Utf8NameMatch::Unshowable;
  return Utf8NameMatch::Matched;
}
