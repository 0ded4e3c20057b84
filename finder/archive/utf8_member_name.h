// A member name stored in UTF-8, as the Cabinet and ZIP readers meet it: it
// is matched in UTF-16 against the wide form of the pattern and shown, and
// handed to the command, in the ANSI code page.
#pragma once

#include <cstddef>
#include <string_view>

#include "finder/options/search_options.h"

// Converts a zero-terminated UTF-16 name to the ANSI code page into `out`
// (`capacity` bytes, terminator included); false when it does not fit.
// Characters the code page lacks become its default character.
using AnsiConverter = bool (*)(const char16_t* wide, char* out, std::size_t capacity);

// Units a decoded name may have, as for names in the ANSI code page.
inline constexpr std::size_t kUtf8NameUnits = kPathSize;
// Room for such a name in the ANSI code page: three bytes a unit cover
// every code page Windows can have as its ANSI one, UTF-8 included, so a
// name is never cut by the conversion.
inline constexpr std::size_t kAnsiNameSize = 3 * kUtf8NameUnits + 1;

enum class Utf8NameMatch { NoMatch, Matched, Unshowable };

// Decodes `utf8` (zero-terminated; the first kUtf8NameUnits units of it),
// matches it against searchState.savedPatternWide and, on a match, converts
// it through `toAnsi` into `ansi`. Unshowable when there is no converter or
// the conversion fails.
Utf8NameMatch MatchUtf8Name(const char* utf8, AnsiConverter toAnsi, char (&ansi)[kAnsiNameSize]);
// The same for a name already in UTF-16 (zero-terminated).
Utf8NameMatch MatchWideName(const char16_t* wide, AnsiConverter toAnsi,
                            char (&ansi)[kAnsiNameSize]);

// Decodes a name stored in the OEM code page into UTF-16 in `out`
// (`capacity` units, terminator included). False when the name is to stay
// bytes of the ANSI code page: the OEM code page is that one, or the name
// does not fit.
using OemDecoder = bool (*)(std::string_view bytes, char16_t* out, std::size_t capacity);

// The decoder of the running program. Defined at the program's edge.
bool FromOemCodePage(std::string_view bytes, char16_t* out, std::size_t capacity);

// The converter of the running program: the ANSI code page found at start
// (searchState.options.ansiCodePage). Defined at the program's edge.
bool ToAnsiCodePage(const char16_t* wide, char* out, std::size_t capacity);
