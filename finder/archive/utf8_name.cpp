#include "finder/archive/utf8_name.h"

std::size_t DecodeUtf8Name(const char* source, char16_t* destination, std::size_t capacity) {
  const auto* in = reinterpret_cast<const unsigned char*>(source);
  std::size_t written = 0;
  while (*in != 0 && written < capacity) {
    unsigned b0 = in[0];
    unsigned unit;
    if (b0 < 0x80) {
      unit = b0;
      in += 1;
    } else if (b0 >= 0xC2 && b0 <= 0xDF) {
      // Reading on past the terminator would leave the name's buffer.
      if (in[1] == 0) break;
      unit = (b0 - 0xC0) * 64 + (in[1] - 0x80u);
      in += 2;
    } else {
      // Everything else is taken as a three-byte form, stray continuation
      // bytes and 0xC0/0xC1 included; the result wraps to 16 bits.
      if (in[1] == 0 || in[2] == 0) break;
      unit = b0 * 4096 + (in[1] - 0x80u) * 64 + (in[2] - 0x80u);
      in += 3;
    }
    destination[written++] = static_cast<char16_t>(unit & 0xFFFF);
  }
  destination[written] = 0;
  return written;
}
