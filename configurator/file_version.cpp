#include "configurator/file_version.h"

#include "configurator/pe_resources.h"

namespace {

// The root block of the version resource:
//
//   +0 u16 block length  +2 u16 value length  +4 u16 type
//   +6 key, UTF-16 up to its terminator ("VS_VERSION_INFO"), padded to 4 bytes
//   then the value: the fixed part (52 bytes), +8 u32 file version (major, minor)
//
// As the system's version query does, the value is taken where the key
// ends, whatever the key says, and only its length tells whether it is the
// fixed part.
constexpr std::uint32_t kVersionInfoId = 1;
constexpr std::size_t kValueLengthField = 2;
constexpr std::size_t kKeyOffset = 6;
constexpr std::size_t kFixedPartSize = 52;
constexpr std::size_t kFileVersionField = 8;

}  // namespace

std::optional<std::uint32_t> FileVersionOf(std::span<const std::uint8_t> image) {
  ResourceMiss miss;
  auto resource = ResourceTree(image).Find(kVersionResource, kVersionInfoId, miss);
  if (!resource) return std::nullopt;
  // The resource lies inside the image: reads within its size stay inside.
  ImageBytes block(image.subspan(resource->dataOffset, resource->size));
  auto valueLength = block.U16(kValueLengthField);
  if (!valueLength || *valueLength < kFixedPartSize) return 0;
  std::size_t at = kKeyOffset;
  for (;; at += 2) {
    auto unit = block.U16(at);
    if (!unit) return 0;  // the key runs past the resource
    if (*unit == 0) break;
  }
  std::size_t value = (at + 2 + 3) & ~std::size_t{3};
  if (!block.Has(value, kFixedPartSize)) return 0;
  return *block.U32(value + kFileVersionField);
}
