// Decoding of member names stored in UTF-8 (Cabinet names with the UTF-8
// mark, ZIP names flagged as UTF-8 or carried in a Unicode path field).
#pragma once

#include <cstddef>
#include <string_view>

// Decodes the zero-terminated UTF-8 text `source` into UTF-16 code units:
// at most `capacity` units are written to `destination`, followed by a
// terminating 0 unit, so `destination` must hold `capacity` + 1 units.
// Returns the number of units written, without the terminator.
//
// Well-formed sequences of one to three bytes give one unit, four-byte
// sequences a surrogate pair (the name ends where a pair no longer fits).
// Anything malformed (a stray continuation byte, a lead byte that no
// sequence starts with, an overlong form, an encoded surrogate, a sequence
// cut short by another byte or by the terminator) gives one U+FFFD for the
// bytes read so far, and decoding goes on at the byte that broke the
// sequence, so that a damaged character never takes its neighbours with it.
std::size_t DecodeUtf8Name(const char* source, char16_t* destination, std::size_t capacity);

// Encodes the zero-terminated UTF-16 text `source` as UTF-8 into
// `destination` (`size` bytes, terminator included); a lone surrogate
// becomes U+FFFD. The text ends at the last character that fits. Returns the
// bytes written, without the terminator.
std::size_t EncodeUtf8Name(const char16_t* source, char* destination, std::size_t size);

// True when `text` is well-formed UTF-8 throughout (no stray or missing
// continuation byte, no overlong form, no encoded surrogate, nothing above
// U+10FFFF).
bool WellFormedUtf8(std::string_view text);
