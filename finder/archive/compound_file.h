// The Compound File Binary container that Windows Installer packages (and
// Office 97 documents) are: a file of sectors (512 or 4,096 bytes), a table
// of sector chains (the FAT, found through the DIFAT), a directory of
// 128-byte entries that names the streams and storages, and a mini stream
// of 64-byte sectors, with its own chain table, for streams under 4,096
// bytes.
//
// Header (512 bytes; sector n stands at (n + 1) << sector shift):
//   0  D0 CF 11 E0 A1 B1 1A E1   24 minor, 26 major version (3 or 4)
//   28 byte order FFFE            30 sector shift (9 or 12), 32 mini shift (6)
//   44 FAT sectors   48 first directory sector   56 mini stream cutoff (4096)
//   60 first mini FAT sector   64 mini FAT sectors
//   68 first DIFAT sector      72 DIFAT sectors   76 the first 109 FAT sectors
// Directory entry (128 bytes):
//   0 name, UTF-16, 64 bytes   64 its size in bytes with the terminator
//   66 type (1 storage, 2 stream, 5 root)   68 left, 72 right sibling, 76 child
//   116 first sector   120 size (version 3: the low 32 bits count)
//
// Every chain is followed a link at a time with a bound: a chain that leaves
// the file, loops or ends early is damage, which the reader above ends its
// package on. Nothing is held that the file's own size does not bound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "finder/archive/byte_source.h"

inline constexpr std::size_t kCompoundHeaderSize = 512;

// True when `header` (512 bytes) is a compound file header this reader reads.
bool IsCompoundFileHeader(std::span<const std::uint8_t> header);

struct CompoundEntry {
  char16_t name[32] = {};
  std::size_t nameUnits = 0;  // without the terminator
  std::uint8_t type = 0;
  std::uint32_t left = 0, right = 0, child = 0;
  std::uint32_t start = 0;
  std::uint64_t size = 0;
  std::u16string_view Name() const { return {name, nameUnits}; }
};
inline constexpr std::uint8_t kCompoundStream = 2;

class CompoundFile {
 public:
  explicit CompoundFile(ByteSource& file) : file_(file) {}

  // Reads the header (`header`, its 512 bytes), the FAT's places and the
  // directory. False when the file is no compound file or is damaged there.
  bool Open(std::span<const std::uint8_t> header);

  const std::vector<CompoundEntry>& entries() const { return entries_; }
  // The entries directly under the root storage, through its tree of
  // siblings; each at most once, however the tree is linked.
  std::vector<std::uint32_t> RootChildren() const;

  // The stream of `entry` whole, when it holds at most `limit` bytes. False
  // on damage or a larger stream.
  bool ReadStream(const CompoundEntry& entry, std::size_t limit, std::vector<std::uint8_t>& out);

 private:
  friend class CompoundStreamSource;

  // Extends `chain` (of `start`) to `count` units (sectors, or mini sectors
  // when `mini`); false when the chain ends or breaks first.
  bool Follow(std::vector<std::uint32_t>& chain, std::uint32_t start, std::size_t count, bool mini);
  // Reads `size` bytes of the units `units`, from `skip` bytes into the first;
  // contiguous units are read at once.
  bool ReadUnits(std::span<const std::uint32_t> units, bool mini, std::size_t skip,
                 std::uint8_t* out, std::size_t size);
  bool Next(std::uint32_t unit, bool mini, std::uint32_t& next);
  bool UnitOffset(std::uint32_t unit, bool mini, std::uint64_t& offset);
  bool ReadAt(std::uint64_t offset, void* out, std::size_t size);
  bool LoadMini();
  std::size_t UnitSize(bool mini) const { return mini ? kMiniSectorSize : sectorSize_; }

  static constexpr std::size_t kMiniSectorSize = 64;

  ByteSource& file_;
  std::size_t sectorSize_ = 512;
  std::uint32_t sectorCount_ = 0;  // whole or partial sectors behind the header
  std::vector<std::uint32_t> fatPlaces_;
  // The FAT's sectors as they are needed: a package's tables seldom need
  // more than a few of them.
  std::vector<std::unique_ptr<std::uint32_t[]>> fat_;
  std::uint32_t miniFatStart_ = 0, miniFatSectors_ = 0;
  bool miniLoaded_ = false, miniOk_ = false;
  std::vector<std::uint32_t> miniFat_, miniStream_;  // the root's chain holds the mini stream
  std::uint64_t miniStreamSize_ = 0;
  std::vector<CompoundEntry> entries_;
};

// One stream of a compound file as a ByteSource, read through a buffer that
// is filled in runs of contiguous sectors.
class CompoundStreamSource final : public ByteSource {
 public:
  CompoundStreamSource(CompoundFile& file, const CompoundEntry& entry);

  std::size_t Read(void* buffer, std::size_t size) override;
  bool Skip(std::int64_t offset) override;
  std::uint64_t Position() const override { return position_; }
  bool Size(std::uint64_t& size) override {
    size = size_;
    return true;
  }

 private:
  static constexpr std::size_t kBufferSize = 8 * 1024;
  // Reads `size` bytes at `at` (within the stream) into `out`.
  bool ReadRange(std::uint64_t at, std::uint8_t* out, std::size_t size);

  CompoundFile& file_;
  std::uint32_t start_;
  std::uint64_t size_;
  bool mini_;
  bool broken_ = false;
  std::vector<std::uint32_t> chain_;
  std::uint64_t position_ = 0;
  std::uint64_t bufferAt_ = 0;
  std::size_t buffered_ = 0;
  std::uint8_t buffer_[kBufferSize];
};
