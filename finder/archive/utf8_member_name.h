// Member names as the readers meet them, matched and made the program's
// text (UTF-8) for the listing and the command: names stored in UTF-8 or
// UTF-16 are matched in UTF-16 against the wide form of the pattern; names
// stored as bytes of the ANSI code page are matched as those bytes, against
// the pattern in that code page, and keep their bytes (inside_text.h). Under
// /K names stored as bytes are in the code page the user named: they are
// decoded from it and go the way of names stored in UTF-16.
//
// A name may be as long as a path: the platform's 32,767 UTF-16 units. A
// longer one could not name a file on the system nor be handed to a command
// whole; each Match function below says no to it, so that the reader passes
// that member over and goes on with the next.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "common/inside_text.h"
#include "finder/records/run_context.h"
#include "finder/records/search_options.h"

// Units a listed name may have. A name stored as bytes of a code page counts
// a unit a byte: in a double-byte code page more than it decodes to, never
// less, so a listed name always fits the platform.
inline constexpr std::size_t kMemberNameUnits = kPlatformPathUnits - 1;
// Room for such a name as the listing carries it, terminator included: three
// bytes a unit in UTF-8 (a surrogate pair takes four for two units), three an
// escaped byte.
inline constexpr std::size_t kShownNameSize = 3 * kMemberNameUnits + 1;

// What matching one name needs besides the name: some 160 KiB, too much for
// a frame that every member passes through. A reader makes one per archive.
struct MemberNameRoom {
  // A name decoded to UTF-16, terminator included; two more units tell a
  // name that is longer than the longest from one that just fits.
  char16_t wide[kMemberNameUnits + 3];
  char shown[kShownNameSize];
};
// Left unset: a name is written before it is read.
inline std::unique_ptr<MemberNameRoom> MakeMemberNameRoom() {
  return std::make_unique_for_overwrite<MemberNameRoom>();
}

// Decodes `utf8` (zero-terminated) into room.wide and matches it against the
// pattern's wide form; on a match the name, in well-formed UTF-8, is `listed`
// (in room.shown).
bool MatchUtf8Name(const SearchPattern& pattern, const char* utf8, MemberNameRoom& room,
                   std::string_view& listed);
// The same for a name already in UTF-16 (zero-terminated; it may be room.wide).
bool MatchWideName(const SearchPattern& pattern, const char16_t* wide, MemberNameRoom& room,
                   std::string_view& listed);
// Decodes `bytes` of code page `codePage` into UTF-16 in `out` (`capacity`
// units, terminator included). False when they do not fit.
using CodePageDecoder = bool (*)(std::uint32_t codePage, std::string_view bytes, char16_t* out,
                                 std::size_t capacity);

// The decoder of the running program. Defined at the program's edge.
bool FromCodePage(std::uint32_t codePage, std::string_view bytes, char16_t* out,
                  std::size_t capacity);

// How a reader reads the names it finds stored as bytes of a code page:
// bytes of the ANSI code page, or under /K (`decode` set) bytes of
// `codePage`, decoded.
struct ByteNameCodes {
  LeadByteTest isLeadByte = nullptr;  // of the code page the names are in
  std::uint32_t codePage = 0;
  CodePageDecoder decode = nullptr;
};

// A name stored as bytes (a terminator behind it). Read in the ANSI code
// page, it is matched against the pattern's ANSI form and, on a match,
// listed as the name itself when it is ASCII, else escaped into room.shown.
// Under /K it is decoded into room.wide and matched as MatchWideName does.
bool MatchCodePageName(const SearchPattern& pattern, std::string_view name,
                       const ByteNameCodes& codes, MemberNameRoom& room, std::string_view& listed);

// Under /W a member is listed by its whole stored path (member_name_part.h)
// rather than by the part its name was matched by. These make `listed` from
// that path as the Match functions above make it from the part, after the
// part matched. False when the path is too long to list: the member is then
// passed over, as one whose name is.
bool ListUtf8Path(const char* utf8, MemberNameRoom& room, std::string_view& listed);
bool ListWidePath(const char16_t* wide, MemberNameRoom& room, std::string_view& listed);
bool ListCodePagePath(std::string_view path, const ByteNameCodes& codes, MemberNameRoom& room,
                      std::string_view& listed);

// A UTF-8 name held zero-terminated in the writable `name` (`length` bytes),
// its name part beginning at `part`: matched by that part and listed as it,
// or with `wholePath` (/W) as the whole path with "/" made "\". False when it
// is not to be listed.
bool MatchUtf8Member(const SearchPattern& pattern, bool wholePath, char* name, std::size_t length,
                     std::size_t part, MemberNameRoom& room, std::string_view& listed);

// True when a name stored without a UTF-8 mark reads as UTF-8: it is
// well-formed UTF-8 and holds at least one multi-byte character. Text of a
// code page seldom is (its letters above 0x7F would have to fall in the
// patterns of lead and continuation bytes), and an ASCII name reads the same
// either way.
bool ReadsAsUtf8(std::string_view name);

// Decodes a name stored in the OEM code page into UTF-16 in `out`
// (`capacity` units, terminator included). False when the name is to stay
// bytes of the ANSI code page: the OEM code page is that one, or the name
// does not fit.
using OemDecoder = bool (*)(std::string_view bytes, char16_t* out, std::size_t capacity);

// The decoder of the running program. Defined at the program's edge.
bool FromOemCodePage(std::string_view bytes, char16_t* out, std::size_t capacity);
