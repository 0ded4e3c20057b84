#include "common/inside_text.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr unsigned char kEscapeLead = 0xED;

unsigned char Byte(std::string_view text, std::size_t at) {
  return static_cast<unsigned char>(text[at]);
}

unsigned char EscapedByte(std::string_view text, std::size_t at) {
  return static_cast<unsigned char>((Byte(text, at + 1) & 3) << 6 | (Byte(text, at + 2) & 0x3F));
}

// The bytes a UTF-8 sequence takes by its first byte; 1 for what cannot
// start one (ASCII, a stray continuation byte).
std::size_t SequenceLength(unsigned char first) {
  if (first >= 0xF0) return 4;
  if (first >= 0xE0) return 3;
  if (first >= 0xC0) return 2;
  return 1;
}

// The UTF-16 units of the character a byte starts: none for a continuation
// byte, two for the four-byte sequences beyond U+FFFF.
std::size_t UnitsStartingAt(unsigned char byte) {
  return ((byte & 0xC0) != 0x80) + (byte >= 0xF0);
}

}  // namespace

bool IsAsciiText(std::string_view text) {
  std::uint64_t high = 0;
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    high |= word;
  }
  for (; i < text.size(); ++i) high |= Byte(text, i);
  return (high & 0x8080808080808080) == 0;
}

std::size_t Utf16Units(std::string_view text) {
  std::size_t units = 0;
  for (std::size_t at = 0; at < text.size(); ++at) units += UnitsStartingAt(Byte(text, at));
  return units;
}

std::size_t BytesWithinUnits(std::string_view text, std::size_t units) {
  std::size_t used = 0, at = 0;
  while (at < text.size()) {
    const std::size_t need = UnitsStartingAt(Byte(text, at));
    if (units - used < need) break;
    used += need;
    // A character ends where its continuation bytes do.
    do ++at;
    while (at < text.size() && (Byte(text, at) & 0xC0) == 0x80);
  }
  return at;
}

bool IsEscapedByteAt(std::string_view text, std::size_t at) {
  return at + kEscapedByteSize <= text.size() && Byte(text, at) == kEscapeLead &&
         (Byte(text, at + 1) & 0xFC) == 0xB0 && (Byte(text, at + 2) & 0xC0) == 0x80;
}

std::size_t EscapeCodePageBytes(std::string_view bytes, LeadByteTest isLeadByte, char* out,
                                std::size_t size) {
  std::size_t written = 0;
  bool secondByte = false;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char b = Byte(bytes, i);
    const bool escape = b >= 0x80 || secondByte;
    secondByte = !secondByte && isLeadByte && isLeadByte(b) && i + 1 < bytes.size();
    if (!escape) {
      if (written == size) return std::string_view::npos;
      out[written++] = static_cast<char>(b);
      continue;
    }
    if (size - written < kEscapedByteSize) return std::string_view::npos;
    out[written++] = static_cast<char>(kEscapeLead);
    out[written++] = static_cast<char>(0xB0 | b >> 6);
    out[written++] = static_cast<char>(0x80 | (b & 0x3F));
  }
  return written;
}

bool HoldsEscapedBytes(std::string_view text) {
  for (std::size_t at = text.find(static_cast<char>(kEscapeLead)); at != std::string_view::npos;
       at = text.find(static_cast<char>(kEscapeLead), at + 1))
    if (IsEscapedByteAt(text, at)) return true;
  return false;
}

std::size_t RunEnd(std::string_view text, std::size_t from, bool& escaped) {
  escaped = IsEscapedByteAt(text, from);
  std::size_t at = from;
  if (escaped) {
    while (IsEscapedByteAt(text, at)) at += kEscapedByteSize;
    return at;
  }
  for (;;) {
    const void* lead = std::memchr(text.data() + at, kEscapeLead, text.size() - at);
    if (!lead) return text.size();
    at = static_cast<std::size_t>(static_cast<const char*>(lead) - text.data());
    if (IsEscapedByteAt(text, at)) return at;
    ++at;
  }
}

std::size_t UnescapeRun(std::string_view run, char* out) {
  std::size_t written = 0;
  for (std::size_t at = 0; IsEscapedByteAt(run, at); at += kEscapedByteSize)
    out[written++] = static_cast<char>(EscapedByte(run, at));
  return written;
}

std::size_t WholeCharacters(std::string_view text, LeadByteTest isLeadByte) {
  const std::size_t size = text.size();
  // A sequence still missing bytes starts in the last three.
  for (std::size_t back = 1; back <= 3 && back <= size; ++back) {
    const unsigned char b = Byte(text, size - back);
    if (b < 0x80) break;
    if (b >= 0xC0) {
      if (SequenceLength(b) > back) return size - back;
      break;
    }
  }
  if (!isLeadByte || size < kEscapedByteSize || !IsEscapedByteAt(text, size - kEscapedByteSize))
    return size;
  // Which escaped byte is a first byte shows only from the run's start.
  std::size_t start = size - kEscapedByteSize;
  while (start >= kEscapedByteSize && IsEscapedByteAt(text, start - kEscapedByteSize))
    start -= kEscapedByteSize;
  std::size_t at = start;
  while (at < size) {
    if (!isLeadByte(EscapedByte(text, at))) {
      at += kEscapedByteSize;
    } else if (at + kEscapedByteSize == size) {
      return at;
    } else {
      at += 2 * kEscapedByteSize;
    }
  }
  return size;
}
