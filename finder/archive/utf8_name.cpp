#include "finder/archive/utf8_name.h"

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// The range the first continuation byte must lie in: narrower than 80-BF
// behind E0, ED, F0 and F4, which is what rules out overlong forms, encoded
// surrogates and values above U+10FFFF.
struct Lead {
  int more;  // continuation bytes that follow; -1: not a lead byte
  unsigned value;
  unsigned low, high;
};

Lead ClassifyLead(unsigned b0) {
  if (b0 >= 0xC2 && b0 <= 0xDF) return {1, b0 & 0x1F, 0x80, 0xBF};
  if (b0 == 0xE0) return {2, 0, 0xA0, 0xBF};
  if (b0 == 0xED) return {2, 0xD, 0x80, 0x9F};
  if (b0 >= 0xE1 && b0 <= 0xEF) return {2, b0 & 0x0F, 0x80, 0xBF};
  if (b0 == 0xF0) return {3, 0, 0x90, 0xBF};
  if (b0 >= 0xF1 && b0 <= 0xF3) return {3, b0 & 0x07, 0x80, 0xBF};
  if (b0 == 0xF4) return {3, 4, 0x80, 0x8F};
  return {-1, 0, 0, 0};
}

}  // namespace

std::size_t DecodeUtf8Name(const char* source, char16_t* destination, std::size_t capacity) {
  const auto* in = reinterpret_cast<const unsigned char*>(source);
  std::size_t written = 0;
  while (*in != 0 && written < capacity) {
    const unsigned b0 = *in++;
    if (b0 < 0x80) {
      destination[written++] = static_cast<char16_t>(b0);
      continue;
    }
    Lead lead = ClassifyLead(b0);
    if (lead.more < 0) {
      destination[written++] = kReplacement;
      continue;
    }
    // The terminator is no continuation byte, so this never reads past it.
    unsigned value = lead.value;
    int taken = 0;
    for (; taken < lead.more; ++taken) {
      const unsigned low = taken == 0 ? lead.low : 0x80, high = taken == 0 ? lead.high : 0xBF;
      if (*in < low || *in > high) break;
      value = value << 6 | (*in++ & 0x3F);
    }
    if (taken < lead.more) {
      destination[written++] = kReplacement;
    } else if (value < 0x10000) {
      destination[written++] = static_cast<char16_t>(value);
    } else {
      if (capacity - written < 2) break;
      value -= 0x10000;
      destination[written++] = static_cast<char16_t>(0xD800 + (value >> 10));
      destination[written++] = static_cast<char16_t>(0xDC00 + (value & 0x3FF));
    }
  }
  destination[written] = 0;
  return written;
}
