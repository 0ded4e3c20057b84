// Eight bytes at a time: scans of names and listing lines look at a word of
// text per step while none of its bytes is one they stop at.
#pragma once

#include <bit>
#include <cstdint>

// The high bit of every byte of `word` that equals `byte` (the classic test
// for a zero byte, applied to `word ^ byte...`). The lowest bit set marks
// the first such byte exactly; above a true one a byte may be marked falsely.
constexpr std::uint64_t WordByteMask(std::uint64_t word, unsigned char byte) {
  constexpr std::uint64_t kOnes = 0x0101010101010101, kHighBits = 0x8080808080808080;
  const std::uint64_t x = word ^ (kOnes * byte);
  return (x - kOnes) & ~x & kHighBits;
}

constexpr bool WordHasByte(std::uint64_t word, unsigned char byte) {
  return WordByteMask(word, byte) != 0;
}

// The high bit of every byte of `word` that has its high bit set.
constexpr std::uint64_t WordHighBytes(std::uint64_t word) {
  return word & 0x8080808080808080;
}

// The index (0-7) of the first byte a non-zero mask of the above marks; the
// words are read from memory in little-endian order.
constexpr unsigned FirstMarkedByte(std::uint64_t mask) {
  return static_cast<unsigned>(std::countr_zero(mask)) / 8;
}
