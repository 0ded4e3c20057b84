// Member names as the readers meet them, matched and made the program's
// text (UTF-8) for the listing and the command: names stored in UTF-8 or
// UTF-16 are matched in UTF-16 against the wide form of the pattern; names
// stored as bytes of the ANSI code page are matched as those bytes, against
// the pattern in that code page, and keep their bytes (inside_text.h).
#pragma once

#include <cstddef>
#include <string_view>

#include "common/inside_text.h"
#include "finder/records/run_context.h"
#include "finder/records/search_options.h"

// Units a decoded name may have, and bytes a stored one.
inline constexpr std::size_t kUtf8NameUnits = kPathSize;
// Room for such a name as the listing carries it: three bytes a unit in
// UTF-8 (a surrogate pair takes four for two units), three an escaped byte.
inline constexpr std::size_t kShownNameSize = 3 * kUtf8NameUnits + 1;
using ShownName = char[kShownNameSize];

// Decodes `utf8` (zero-terminated; the first kUtf8NameUnits units of it) and
// matches it against the pattern's wide form; on a match the name, in
// well-formed UTF-8, is in `shown`.
bool MatchUtf8Name(const SearchPattern& pattern, const char* utf8, ShownName& shown);
// The same for a name already in UTF-16 (zero-terminated).
bool MatchWideName(const SearchPattern& pattern, const char16_t* wide, ShownName& shown);
// A name of the ANSI code page (a terminator behind it, at most
// kUtf8NameUnits bytes; `isLeadByte` for a double-byte code page) matched against
// the pattern's ANSI form. On a match, the name as the listing carries
// it: the name itself when it is ASCII, else escaped into `shown`.
bool MatchCodePageName(const SearchPattern& pattern, std::string_view name, LeadByteTest isLeadByte,
                       ShownName& shown, std::string_view& listed);

// Decodes a name stored in the OEM code page into UTF-16 in `out`
// (`capacity` units, terminator included). False when the name is to stay
// bytes of the ANSI code page: the OEM code page is that one, or the name
// does not fit.
using OemDecoder = bool (*)(std::string_view bytes, char16_t* out, std::size_t capacity);

// The decoder of the running program. Defined at the program's edge.
bool FromOemCodePage(std::string_view bytes, char16_t* out, std::size_t capacity);
