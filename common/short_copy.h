// Copies of a few dozen bytes (a record, a name, a piece of a listing line)
// are the most frequent copies of a run. The C runtime's memcpy is a call
// into a DLL with a costly entry for such sizes; these are done in place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Callers copy no more than their destination holds; inlined into a copy to
// a small object, the compiler cannot see that from the size's type alone and
// would warn about the unrolled moves past it.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
#pragma GCC diagnostic ignored "-Wstringop-overflow"
#pragma GCC diagnostic ignored "-Wstringop-overread"
#endif
inline void CopyShort(void* to, const void* from, std::size_t size) {
  constexpr std::size_t kLongCopy = 64;
  auto* out = static_cast<unsigned char*>(to);
  auto* in = static_cast<const unsigned char*>(from);
  // Two moves of a fixed size, the second one ending at the last byte, cover
  // every size from that size to twice it; the moves may overlap. A loop of
  // eight-byte moves would be turned into a string move by the compiler,
  // whose start-up costs more than the whole copy.
  auto twoMoves = [out, in, size](auto word) {
    decltype(word) head, tail;
    std::memcpy(&head, in, sizeof word);
    std::memcpy(&tail, in + size - sizeof word, sizeof word);
    std::memcpy(out, &head, sizeof word);
    std::memcpy(out + size - sizeof word, &tail, sizeof word);
  };
  struct Bytes16 {
    std::uint64_t a, b;
  };
  struct Bytes32 {
    Bytes16 a, b;
  };
  if (size > kLongCopy) {
    std::memcpy(out, in, size);
  } else if (size >= 32) {
    twoMoves(Bytes32{});
  } else if (size >= 16) {
    twoMoves(Bytes16{});
  } else if (size >= 8) {
    twoMoves(std::uint64_t{});
  } else if (size >= 4) {
    twoMoves(std::uint32_t{});
  } else if (size >= 2) {
    twoMoves(std::uint16_t{});
  } else if (size == 1) {
    out[0] = in[0];
  }
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
