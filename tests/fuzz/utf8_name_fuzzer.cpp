// Cabinet names in UTF-8 against the decoding rules read plainly: one unit
// per lead byte, no check of the bytes behind it, a form cut short by the
// terminator ending the name. The name sits in a buffer of its exact size
// and the destination holds exactly capacity + 1 units, so a read past the
// terminator or a write past the room is caught by the sanitizer.
// Input: one byte of capacity (0-255), then the name's bytes up to a zero.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "finder/archive/utf8_name.h"

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
  for (std::size_t i = 0; i < length && expected.size() < capacity;) {
    const std::int64_t b0 = name[i];
    std::size_t bytes = b0 < 0x80 ? 1 : (b0 >= 0xC2 && b0 <= 0xDF) ? 2 : 3;
    if (i + bytes > length) break;  // cut short by the terminator
    std::int64_t unit = b0;
    if (bytes == 2) unit = (b0 - 0xC0) * 64 + (name[i + 1] - 0x80);
    if (bytes == 3) unit = b0 * 4096 + (name[i + 1] - 0x80) * 64 + (name[i + 2] - 0x80);
    expected.push_back(static_cast<std::uint16_t>(((unit % 65536) + 65536) % 65536));
    i += bytes;
  }

  auto destination = std::make_unique<char16_t[]>(capacity + 1);
  std::size_t written = DecodeUtf8Name(source.get(), destination.get(), capacity);
  if (written != expected.size() || destination[written] != 0) std::abort();
  for (std::size_t i = 0; i < written; ++i)
    if (destination[i] != expected[i]) std::abort();
  return 0;
}
