// The tar reader on arbitrary bytes. The last byte chooses the settings that
// steer the walk (short or long form, which converts the stamps; attribute,
// date and size criteria; /W; a command per member under code page 932,
// whose lead bytes the names in that code page are split by; the pattern,
// which UTF-8 names match in its wide form); the bytes in front of it are
// the archive, so the seed archives serve as they are.
#include <cstddef>
#include <cstdint>

#include "tests/fuzz/member_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  return member_fuzz::ListSteered("TAR", "C:\\FUZZ\\ARCHIVE.TAR", data, size - 1, data[size - 1]);
}
