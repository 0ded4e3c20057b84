// The one place where text crosses between the program and the system's
// UTF-16: every wide call of the edge converts through these.
#pragma once

#include <cstddef>
#include <string_view>

// The code page of text inside the program, UTF-8: every wide call of the
// edge converts through it. Bytes of the ANSI code page escaped in it
// (common/inside_text.h) are decoded through that code page.
inline constexpr unsigned kInsideCodePage = 65001;

// `text` in code page `codePage` (65001 for UTF-8) as UTF-16 in `out`,
// terminated. Returns the units written without the terminator, or -1 when
// the text does not fit `size` units with its terminator.
long WideFromText(unsigned codePage, std::string_view text, wchar_t* out, std::size_t size);

// UTF-16 as text of `codePage`, terminated, the way the system's -A calls
// convert what they return (flags 0: best fit, then the default character),
// so that a name comes out byte for byte as those calls gave it. Returns the
// bytes written without the terminator, or -1 when it does not fit `size`.
long TextFromWide(unsigned codePage, std::wstring_view text, char* out, std::size_t size);

// The same for text that is written out for someone to read or a script to
// act on, not handed back to the system: without best fit, so that a
// character the code page cannot hold becomes "?" rather than a look-alike
// that names another file (`Ａ` is not `A`). UTF-8 holds every character.
long ShownTextFromWide(unsigned codePage, std::wstring_view text, char* out, std::size_t size);

// The UTF-16 units `text` of code page `codePage` takes; -1 when it cannot be
// converted.
long WideLength(unsigned codePage, std::string_view text);

// The lead bytes of the ANSI code page's double-byte characters.
bool IsAnsiLeadByte(unsigned char byte);
