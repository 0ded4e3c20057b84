#include "finder/archive/compressed_tar_reader.h"

#include <algorithm>
#include <memory>

#include "finder/archive/tar_reader.h"

namespace {

bool StartsWith(std::span<const std::uint8_t> bytes, std::span<const std::uint8_t> magic) {
  return bytes.size() >= magic.size() && std::ranges::equal(bytes.first(magic.size()), magic);
}

void ListCompressedTar(ByteSource& file, Compression compression, const MemberReading& reading) {
  // The decoder starts where the magic does.
  if (!SkipTo(file, 0)) return;
  const auto tar = std::make_unique<DecompressingByteSource>(file, compression);
  std::uint8_t header[kTarBlockSize];
  if (tar->Read(header, sizeof header) != sizeof header || !IsTarHeader(header)) return;
  ListTarStream(*tar, header, reading);
}

}  // namespace

bool IsGzipMagic(std::span<const std::uint8_t> bytes) {
  constexpr std::uint8_t kMagic[] = {0x1F, 0x8B, 0x08};
  return StartsWith(bytes, kMagic);
}

bool IsXzMagic(std::span<const std::uint8_t> bytes) {
  constexpr std::uint8_t kMagic[] = {0xFD, '7', 'z', 'X', 'Z', 0x00};
  return StartsWith(bytes, kMagic);
}

bool IsZstdMagic(std::span<const std::uint8_t> bytes) {
  constexpr std::uint8_t kMagic[] = {0x28, 0xB5, 0x2F, 0xFD};
  return StartsWith(bytes, kMagic);
}

bool IsBzip2Magic(std::span<const std::uint8_t> bytes) {
  constexpr std::uint8_t kMagic[] = {'B', 'Z', 'h'};
  return StartsWith(bytes, kMagic) && bytes.size() >= kBzip2MagicSize && bytes[3] >= '1' &&
         bytes[3] <= '9';
}

void ListGzipTarMembers(ByteSource& file, std::span<const std::uint8_t>,
                        const MemberReading& reading) {
  ListCompressedTar(file, Compression::Gzip, reading);
}

void ListXzTarMembers(ByteSource& file, std::span<const std::uint8_t>,
                      const MemberReading& reading) {
  ListCompressedTar(file, Compression::Xz, reading);
}

void ListZstdTarMembers(ByteSource& file, std::span<const std::uint8_t>,
                        const MemberReading& reading) {
  ListCompressedTar(file, Compression::Zstd, reading);
}

void ListBzip2TarMembers(ByteSource& file, std::span<const std::uint8_t>,
                         const MemberReading& reading) {
  ListCompressedTar(file, Compression::Bzip2, reading);
}
