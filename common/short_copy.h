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
  if (size > kLongCopy) {
    std::memcpy(out, in, size);
    return;
  }
  // Eight bytes per step through a register (a fixed-size memcpy is one
  // move), then the rest a byte at a time.
  for (; size >= 8; size -= 8, in += 8, out += 8) {
    std::uint64_t word;
    std::memcpy(&word, in, 8);
    std::memcpy(out, &word, 8);
  }
  switch (size) {
    case 7:
      out[6] = in[6];
      [[fallthrough]];
    case 6:
      out[5] = in[5];
      [[fallthrough]];
    case 5:
      out[4] = in[4];
      [[fallthrough]];
    case 4:
      out[3] = in[3];
      [[fallthrough]];
    case 3:
      out[2] = in[2];
      [[fallthrough]];
    case 2:
      out[1] = in[1];
      [[fallthrough]];
    case 1:
      out[0] = in[0];
      [[fallthrough]];
    default:
      break;
  }
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
