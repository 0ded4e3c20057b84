// The walks to the message table, the version and the texts, and the slot
// rewrite, on untrusted files.
//
// The first byte chooses the input's meaning: odd, the rest is a whole file;
// even, the rest pokes bytes (offset low, offset high, value) into a valid
// image until a 0xFF 0xFF offset, so the fuzzer reaches the deep parts of
// the walk without seeds; what follows is texts to write (id byte, length
// byte, code units). Whatever the file, nothing outside the table and its two
// data entries may change, and a table found stays found after every write.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "configurator/file_version.h"
#include "configurator/string_table_patch.h"
#include "tests/unit/string_table_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::vector<std::uint8_t> image;
  std::size_t at = 1;
  if (data[0] & 1) {
    image.assign(data + 1, data + size);
    at = size;
  } else {
    image = string_table_image::ShippedImage();
    for (; at + 3 <= size; at += 3) {
      std::size_t offset = data[at] | data[at + 1] << 8;
      if (offset == 0xFFFF) {
        at += 2;
        break;
      }
      image[offset % image.size()] = data[at + 2];
    }
  }
  FileVersionOf(image);
  ResourceMiss miss;
  for (unsigned id = 0; id < 32; ++id) LoadResourceString(image, id, miss);
  auto table = FindStringTable(image);
  if (!table) return 0;

  std::vector<std::uint8_t> before = image;
  while (at + 2 <= size) {
    unsigned id = data[at];
    std::size_t length = data[at + 1];
    at += 2;
    std::u16string text;
    for (; text.size() < length && at + 2 <= size; at += 2) {
      text += static_cast<char16_t>(data[at] | data[at + 1] << 8);
    }
    WriteMessageText(image, *table, id, text);
    if (image.size() != before.size() || !FindStringTable(image)) std::abort();
  }
  // The bytes outside the table and its two data entries are as they were:
  // with those three stretches cleared in both, the images are equal.
  const auto clear = [&](std::size_t from, std::size_t to) {
    to = std::min(to, image.size());
    for (auto* bytes : {&image, &before})
      if (from < to) std::fill(bytes->begin() + from, bytes->begin() + to, 0);
  };
  clear(table->Begin(), table->End());
  clear(table->first.entryOffset, table->first.entryOffset + 8);
  clear(table->second.entryOffset, table->second.entryOffset + 8);
  if (image != before) std::abort();
  return 0;
}
