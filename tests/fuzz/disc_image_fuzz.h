// The harness both disc image fuzzers share. An image's first 16 sectors are
// never read, so the input is the image from sector 16 on and the harness
// puts 32 KiB of zeros in front of it: the inputs stay small enough to mutate
// quickly. The last byte steers the settings (member_fuzz.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "finder/archive/iso_reader.h"
#include "tests/fuzz/member_fuzz.h"

namespace disc_fuzz {

inline int ListImage(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  std::vector<std::uint8_t> image(kIsoFirstDescriptor + size - 1);
  std::copy(data, data + size - 1, image.begin() + kIsoFirstDescriptor);
  // Hidden and read-only are the attributes a disc image records.
  return member_fuzz::ListSteered("ISO", "C:\\FUZZ\\IMAGE.ISO", image.data(), image.size(),
                                  data[size - 1], 0x02, 0x01);
}

}  // namespace disc_fuzz
