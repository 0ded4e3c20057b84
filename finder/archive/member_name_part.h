// Folder separators inside stored member names. Archives made on a Japanese
// system store names in code page 932, where the second byte of a character
// such as 表, ソ or 能 is 0x5C: read byte by byte it looks like a backslash,
// and the name would be cut in the middle of a character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/inside_text.h"

// The lead bytes of code page 932 (0x81-0x9F, 0xE0-0xFC).
bool IsShiftJisLeadByte(unsigned char byte);

// The lead-byte test for names in the ANSI code page: IsShiftJisLeadByte in
// code page 932, else null (every byte is a character of its own).
LeadByteTest MemberNameLeadByteTest(std::uint32_t ansiCodePage);

// True when the byte that follows a lead byte is its second byte: every
// double-byte code page puts second bytes at 0x40 and above, so a stray lead
// byte never takes a "/" or a terminator with it.
inline bool IsSecondByte(unsigned char byte) {
  return byte >= 0x40;
}

// The index of the last `separator` in `name` that is a character of its
// own, or npos.
std::size_t LastSeparator(std::string_view name, char separator, LeadByteTest isLeadByte);
