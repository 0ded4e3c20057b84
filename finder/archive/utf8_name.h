// Decoding of Cabinet member names stored in UTF-8.
#pragma once

#include <cstddef>

// Decodes the zero-terminated UTF-8 text `source` into UTF-16 code units:
// at most `capacity` units are written to `destination`, followed by a
// terminating 0 unit, so `destination` must hold `capacity` + 1 units.
// Returns the number of units written, without the terminator.
//
// The decoder is deliberately lenient, as the names in cabinets made by
// older tools need it to be: continuation bytes are not checked, every lead
// byte gives exactly one code unit, and there are no four-byte forms. A
// sequence cut short by the terminator ends the name at that sequence.
std::size_t DecodeUtf8Name(const char* source, char16_t* destination, std::size_t capacity);
