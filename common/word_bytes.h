// Eight bytes at a time: scans of names and listing lines look at a word of
// text per step while none of its bytes is one they stop at.
#pragma once

#include <bit>
#include <cstdint>

// The high bit of every byte of `word` that equals `byte`, and of no other.
constexpr std::uint64_t WordByteMask(std::uint64_t word, unsigned char byte) {
  constexpr std::uint64_t kOnes = 0x0101010101010101, kLowBits = 0x7F7F7F7F7F7F7F7F;
  const std::uint64_t x = word ^ (kOnes * byte);
  // A byte of x is zero exactly when neither its low seven bits (whose sum
  // with 0x7F carries into the high bit) nor its high bit is set.
  return ~(((x & kLowBits) + kLowBits) | x | kLowBits);
}

// The index (0-7) of the first and of the last byte that a non-zero mask of
// the above marks; the words are read from memory in little-endian order.
constexpr unsigned FirstMarkedByte(std::uint64_t mask) {
  return static_cast<unsigned>(std::countr_zero(mask)) / 8;
}
constexpr unsigned LastMarkedByte(std::uint64_t mask) {
  return static_cast<unsigned>(63 - std::countl_zero(mask)) / 8;
}
