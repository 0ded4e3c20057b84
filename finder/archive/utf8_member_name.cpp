#include "finder/archive/utf8_member_name.h"

#include <algorithm>
#include <string>

#include "finder/archive/utf8_name.h"
#include "finder/archive/wildcard.h"

namespace {

// Encodes a name of at most kMemberNameUnits units: it always fits.
std::string_view Shown(const char16_t* wide, MemberNameRoom& room) {
  return {room.shown, EncodeUtf8Name(wide, room.shown, sizeof room.shown)};
}

// Bytes of /K's code page into room.wide. No code page takes more UTF-16
// units for a name than it has bytes, so one of kMemberNameUnits bytes fits.
bool Decoded(std::string_view bytes, const ByteNameCodes& codes, MemberNameRoom& room) {
  return codes.decode(codes.codePage, bytes, room.wide, kMemberNameUnits + 1);
}

}  // namespace

bool ListUtf8Path(const char* utf8, MemberNameRoom& room, std::string_view& listed) {
  if (DecodeUtf8Name(utf8, room.wide, kMemberNameUnits + 2) > kMemberNameUnits) return false;
  listed = Shown(room.wide, room);
  return true;
}

bool ListWidePath(const char16_t* wide, MemberNameRoom& room, std::string_view& listed) {
  if (std::char_traits<char16_t>::length(wide) > kMemberNameUnits) return false;
  listed = Shown(wide, room);
  return true;
}

bool ListCodePagePath(std::string_view path, const ByteNameCodes& codes, MemberNameRoom& room,
                      std::string_view& listed) {
  if (path.size() > kMemberNameUnits) return false;
  if (codes.decode) return Decoded(path, codes, room) && ListWidePath(room.wide, room, listed);
  listed = IsAsciiText(path)
               ? path
               : std::string_view{room.shown, EscapeCodePageBytes(path, codes.isLeadByte,
                                                                  room.shown, sizeof room.shown)};
  return true;
}

bool ReadsAsUtf8(std::string_view name) {
  return !IsAsciiText(name) && WellFormedUtf8(name);
}

bool MatchUtf8Name(const SearchPattern& pattern, const char* utf8, MemberNameRoom& room,
                   std::string_view& listed) {
  // Room for two units more than the longest name: a decoder that stopped
  // there had more to decode, even where a surrogate pair did not fit.
  const std::size_t units = DecodeUtf8Name(utf8, room.wide, kMemberNameUnits + 2);
  if (units > kMemberNameUnits || !MatchWildcardWide(pattern.wide, room.wide)) return false;
  listed = Shown(room.wide, room);
  return true;
}

bool MatchUtf8Member(const SearchPattern& pattern, bool wholePath, char* name, std::size_t length,
                     std::size_t part, MemberNameRoom& room, std::string_view& listed) {
  if (!MatchUtf8Name(pattern, name + part, room, listed)) return false;
  if (!wholePath) return true;
  std::replace(name, name + length, '/', '\\');
  return ListUtf8Path(name, room, listed);
}

bool MatchWideName(const SearchPattern& pattern, const char16_t* wide, MemberNameRoom& room,
                   std::string_view& listed) {
  if (std::char_traits<char16_t>::length(wide) > kMemberNameUnits ||
      !MatchWildcardWide(pattern.wide, wide))
    return false;
  listed = Shown(wide, room);
  return true;
}

bool MatchCodePageName(const SearchPattern& pattern, std::string_view name,
                       const ByteNameCodes& codes, MemberNameRoom& room, std::string_view& listed) {
  if (name.size() > kMemberNameUnits) return false;
  if (codes.decode)
    return Decoded(name, codes, room) && MatchWideName(pattern, room.wide, room, listed);
  if (!MatchWildcard(pattern.ansi, name.data())) return false;
  listed = name;
  if (IsAsciiText(name)) return true;
  // Three bytes a byte: it fits.
  listed = {room.shown, EscapeCodePageBytes(name, codes.isLeadByte, room.shown, sizeof room.shown)};
  return true;
}
