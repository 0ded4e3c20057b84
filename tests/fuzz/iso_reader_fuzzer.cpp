// The disc image reader on arbitrary ISO 9660 images (Joliet, Rock Ridge,
// plain); the harness is disc_image_fuzz.h. Its seeds are the Joliet and Rock
// Ridge fixtures cut behind their last folder.
#include "tests/fuzz/disc_image_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return disc_fuzz::ListImage(data, size);
}
