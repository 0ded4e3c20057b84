// Archives inside archives (/M) on arbitrary bytes: the last byte steers the
// settings as for every reader (member_fuzz.h), the one in front of it
// chooses the outer kind and the levels opened; the bytes in front of those
// are the outer archive, whose stored members named like archives of any
// kind are read through windows over it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tests/fuzz/member_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  constexpr std::string_view kOuter[] = {"ZIP", "TAR", "7Z", "RAR", "ISO", "LZH"};
  const std::uint8_t choice = data[size - 2];
  const std::string_view kind = kOuter[choice % std::size(kOuter)];
  const int levels = 1 + (choice / std::size(kOuter)) % kInnerArchiveLevels;
  return member_fuzz::ListSteered(kind, "C:\\FUZZ\\OUTER", data, size - 2, data[size - 1], 0x20,
                                  0x02, levels);
}
