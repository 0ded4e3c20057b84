// Text inside the program is UTF-8. Some names are not: an archive member
// whose name is stored as bytes of the ANSI code page keeps those bytes, so
// that a listing redirected to a file shows exactly what the archive holds
// (a round trip through UTF-16 would change some of them: code page 932
// has characters with two byte forms). Such bytes travel inside the UTF-8
// text escaped, each byte b as the three bytes ED, B0 + b / 64, 80 + b % 64:
// the form UTF-8 would give the lone surrogate U+DC00 + b, which no valid
// UTF-8 text holds. The output decides what becomes of them: a file or pipe
// in the ANSI code page gets the bytes back, everything else decodes them
// through the ANSI code page.
#pragma once

#include <cstddef>
#include <string_view>

// Tells the lead bytes of double-byte characters of a code page; null for a
// code page without them.
using LeadByteTest = bool (*)(unsigned char);

inline constexpr std::size_t kEscapedByteSize = 3;

// Writes `bytes` of the ANSI code page into `out` (`size` bytes, no
// terminator): ASCII characters as they are, every other byte escaped, the
// second byte of a double-byte character too (it may be ASCII, and must not
// be read apart from its first). Returns the bytes written, or
// std::string_view::npos when they do not fit.
std::size_t EscapeCodePageBytes(std::string_view bytes, LeadByteTest isLeadByte, char* out,
                                std::size_t size);

// True when every byte of `text` is ASCII, which every code page and UTF-8
// agree on: most names and listings are, and skip conversions.
bool IsAsciiText(std::string_view text);

// The UTF-16 units that UTF-8 `text` takes, and the bytes of its longest
// beginning that takes at most `units` of them.
std::size_t Utf16Units(std::string_view text);
std::size_t BytesWithinUnits(std::string_view text, std::size_t units);

// True when an escaped byte starts at `at`.
bool IsEscapedByteAt(std::string_view text, std::size_t at);

// True when `text` holds an escaped byte anywhere.
bool HoldsEscapedBytes(std::string_view text);

// The end of the run that starts at `from`: a run of UTF-8 text, or one of
// escaped bytes (`escaped` tells which).
std::size_t RunEnd(std::string_view text, std::size_t from, bool& escaped);

// The bytes an escaped run stands for, into `out` (room for run.size() / 3).
std::size_t UnescapeRun(std::string_view run, char* out);

// How much of `text` ends on a whole character: all of it, or all but a UTF-8
// sequence still missing bytes or, with `isLeadByte`, an escaped first byte of
// a double-byte character whose second byte is missing. A buffer flushed in
// the middle of a character keeps the rest for the next flush.
std::size_t WholeCharacters(std::string_view text, LeadByteTest isLeadByte);
