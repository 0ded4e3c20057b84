#include "finder/archive/utf8_name.h"

#include <cstring>

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

std::size_t EncodeUtf8Name(const char16_t* source, char* destination, std::size_t size) {
  if (size == 0) return 0;
  std::size_t written = 0;
  for (const char16_t* in = source; *in != 0; ++in) {
    unsigned value = *in;
    if (value >= 0xD800 && value <= 0xDBFF && in[1] >= 0xDC00 && in[1] <= 0xDFFF) {
      value = 0x10000 + ((value - 0xD800) << 10) + (*++in - 0xDC00);
    } else if (value >= 0xD800 && value <= 0xDFFF) {
      value = kReplacement;
    }
    unsigned char bytes[4];
    std::size_t count;
    if (value < 0x80) {
      bytes[0] = static_cast<unsigned char>(value);
      count = 1;
    } else if (value < 0x800) {
      bytes[0] = static_cast<unsigned char>(0xC0 | value >> 6);
      count = 2;
    } else if (value < 0x10000) {
      bytes[0] = static_cast<unsigned char>(0xE0 | value >> 12);
      count = 3;
    } else {
      bytes[0] = static_cast<unsigned char>(0xF0 | value >> 18);
      count = 4;
    }
    for (std::size_t i = 1; i < count; ++i)
      bytes[i] = static_cast<unsigned char>(0x80 | (value >> 6 * (count - 1 - i) & 0x3F));
    if (size - 1 - written < count) break;
    std::memcpy(destination + written, bytes, count);
    written += count;
  }
  destination[written] = '\0';
  return written;
}

bool WellFormedUtf8(std::string_view text) {
  const auto* in = reinterpret_cast<const unsigned char*>(text.data());
  const auto* const end = in + text.size();
  while (in != end) {
    const unsigned b0 = *in++;
    if (b0 < 0x80) continue;
    const Lead lead = ClassifyLead(b0);
    if (lead.more < 0 || end - in < lead.more) return false;
    for (int taken = 0; taken < lead.more; ++taken, ++in) {
      const unsigned low = taken == 0 ? lead.low : 0x80, high = taken == 0 ? lead.high : 0xBF;
      if (*in < low || *in > high) return false;
    }
  }
  return true;
}
