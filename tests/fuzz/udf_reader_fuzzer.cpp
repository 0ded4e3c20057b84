// The disc image reader on arbitrary UDF images; the harness is
// disc_image_fuzz.h. Its seed is the UDF fixture cut behind its last file
// entry (the anchor stands at sector 256, so it stays some 500 KiB). Inputs
// that large run some two thousand a second: a million take about eight
// minutes.
#include "tests/fuzz/disc_image_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return disc_fuzz::ListImage(data, size);
}
