#include "finder/archive/utf8_member_name.h"

#include <cstring>

#include "finder/archive/utf8_name.h"
#include "finder/archive/wildcard.h"

bool MatchUtf8Name(const SearchPattern& pattern, const char* utf8, ShownName& shown) {
  char16_t wide[kUtf8NameUnits + 1];
  DecodeUtf8Name(utf8, wide, kUtf8NameUnits);
  return MatchWideName(pattern, wide, shown);
}

bool MatchWideName(const SearchPattern& pattern, const char16_t* wide, ShownName& shown) {
  if (!MatchWildcardWide(pattern.wide, wide)) return false;
  EncodeUtf8Name(wide, shown, sizeof shown);
  return true;
}

bool MatchCodePageName(const SearchPattern& pattern, std::string_view name, LeadByteTest isLeadByte,
                       ShownName& shown, std::string_view& listed) {
  if (!MatchWildcard(pattern.ansi, name.data())) return false;
  listed = name;
  if (IsAsciiText(name)) return true;
  std::size_t size = EscapeCodePageBytes(name, isLeadByte, shown, sizeof shown);
  if (size != std::string_view::npos) listed = {shown, size};
  return true;
}
