// UTF-8 member names against a plain reading of the decoding rules: the
// well-formed byte sequences of the Unicode standard, read off its table row
// by row, give their code point (as a surrogate pair above U+FFFF); every
// other byte run gives one U+FFFD for its longest prefix that some
// well-formed sequence starts with (at least one byte). The name sits in a
// buffer of its exact size and the destination holds exactly capacity + 1
// units, so a read past the terminator or a write past the room is caught by
// the sanitizer. Input: one byte of capacity (0-255), then the name's bytes
// up to a zero.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "finder/archive/utf8_name.h"

namespace {

struct Range {
  std::uint8_t low, high;
};
// The rows of well-formed sequences: the range of each byte.
const std::vector<std::vector<Range>> kWellFormed = {
    {{0x00, 0x7F}},
    {{0xC2, 0xDF}, {0x80, 0xBF}},
    {{0xE0, 0xE0}, {0xA0, 0xBF}, {0x80, 0xBF}},
    {{0xE1, 0xEC}, {0x80, 0xBF}, {0x80, 0xBF}},
    {{0xED, 0xED}, {0x80, 0x9F}, {0x80, 0xBF}},
    {{0xEE, 0xEF}, {0x80, 0xBF}, {0x80, 0xBF}},
    {{0xF0, 0xF0}, {0x90, 0xBF}, {0x80, 0xBF}, {0x80, 0xBF}},
    {{0xF1, 0xF3}, {0x80, 0xBF}, {0x80, 0xBF}, {0x80, 0xBF}},
    {{0xF4, 0xF4}, {0x80, 0x8F}, {0x80, 0xBF}, {0x80, 0xBF}},
};

// How many bytes from `at` agree with `row`.
std::size_t Agreeing(const std::vector<Range>& row, const std::uint8_t* at, std::size_t left) {
  std::size_t n = 0;
  while (n < row.size() && n < left && at[n] >= row[n].low && at[n] <= row[n].high) ++n;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t capacity = data[0];
  const std::uint8_t* name = data + 1;
  std::size_t length = 0;
  while (length < size - 1 && name[length] != 0) ++length;
  auto source = std::make_unique<char[]>(length + 1);
  std::memcpy(source.get(), name, length);
  source[length] = 0;

  std::vector<std::uint16_t> expected;
  for (std::size_t i = 0; i < length;) {
    std::size_t best = 0;
    bool whole = false;
    for (const auto& row : kWellFormed) {
      std::size_t n = Agreeing(row, name + i, length - i);
      if (n == row.size()) whole = true;
      if (n > best) best = n;
    }
    if (!whole) {
      if (expected.size() + 1 > capacity) break;
      expected.push_back(0xFFFD);
      i += best ? best : 1;
      continue;
    }
    std::uint32_t point = best == 1 ? name[i] : name[i] & (0x7F >> best);
    for (std::size_t k = 1; k < best; ++k) point = point << 6 | (name[i + k] & 0x3F);
    if (point < 0x10000) {
      if (expected.size() + 1 > capacity) break;
      expected.push_back(static_cast<std::uint16_t>(point));
    } else {
      if (expected.size() + 2 > capacity) break;
      expected.push_back(static_cast<std::uint16_t>(0xD800 | ((point - 0x10000) >> 10)));
      expected.push_back(static_cast<std::uint16_t>(0xDC00 | ((point - 0x10000) & 0x3FF)));
    }
    i += best;
  }

  auto destination = std::make_unique<char16_t[]>(capacity + 1);
  std::size_t written = DecodeUtf8Name(source.get(), destination.get(), capacity);
  if (written != expected.size() || destination[written] != 0) std::abort();
  for (std::size_t i = 0; i < written; ++i)
    if (destination[i] != expected[i]) std::abort();
  return 0;
}
