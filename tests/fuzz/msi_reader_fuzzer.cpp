// The installer package reader on arbitrary bytes: the compound file's
// header, FAT, mini stream and directory, the string pool, the catalogue and
// the tables, and the embedded cabinet's records. The last byte steers the
// settings (member_fuzz.h): /W reads the Directory and Component tables
// too, code page 932 splits names stored in the ANSI code page by its lead
// bytes. The bytes in front of it are the package, so the fixture serves as
// a seed as it is.
#include <cstddef>
#include <cstdint>

#include "tests/fuzz/member_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  // Read-only, hidden and system are the attributes a package records.
  return member_fuzz::ListSteered("MSI", "C:\\FUZZ\\PACKAGE.MSI", data, size - 1, data[size - 1],
                                  0x01, 0x02);
}
