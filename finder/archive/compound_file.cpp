#include "finder/archive/compound_file.h"

#include <algorithm>
#include <cstring>

#include "finder/archive/byte_reader.h"

namespace {

constexpr std::uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

constexpr std::size_t kOffsetMajorVersion = 26;
constexpr std::size_t kOffsetByteOrder = 28;
constexpr std::size_t kOffsetSectorShift = 30;
constexpr std::size_t kOffsetMiniShift = 32;
constexpr std::size_t kOffsetFatSectors = 44;
constexpr std::size_t kOffsetFirstDirectory = 48;
constexpr std::size_t kOffsetMiniCutoff = 56;
constexpr std::size_t kOffsetFirstMiniFat = 60;
constexpr std::size_t kOffsetMiniFatSectors = 64;
constexpr std::size_t kOffsetFirstDifat = 68;
constexpr std::size_t kOffsetDifatSectors = 72;
constexpr std::size_t kOffsetDifat = 76;
constexpr std::size_t kHeaderDifatEntries = 109;

constexpr std::size_t kEntrySize = 128;
constexpr std::size_t kEntryNameBytes = 64;
constexpr std::size_t kOffsetNameSize = 64;
constexpr std::size_t kOffsetType = 66;
constexpr std::size_t kOffsetLeft = 68;
constexpr std::size_t kOffsetRight = 72;
constexpr std::size_t kOffsetChild = 76;
constexpr std::size_t kOffsetStart = 116;
constexpr std::size_t kOffsetSize = 120;

constexpr std::uint32_t kMiniCutoff = 4096;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kNoEntry = 0xFFFFFFFF;
constexpr std::uint32_t kLargestSector = 0xFFFFFFF9;
constexpr std::uint8_t kRootType = 5;
// A package's directory holds its tables and streams: some hundreds of
// entries. A directory of more than 32,768 entries is damage.
constexpr std::size_t kDirectoryLimit = 4 << 20;

// The little-endian 32-bit numbers of a sector of the FAT, the DIFAT or
// the mini FAT.
std::uint32_t NumberAt(std::span<const std::uint8_t> sector, std::size_t index) {
  ByteReader in(sector);
  return in.U32At(4 * index);
}

}  // namespace

bool IsCompoundFileHeader(std::span<const std::uint8_t> header) {
  if (header.size() < kCompoundHeaderSize) return false;
  ByteReader in(header);
  const std::uint16_t shift = in.U16At(kOffsetSectorShift);
  const std::uint16_t major = in.U16At(kOffsetMajorVersion);
  return std::equal(std::begin(kSignature), std::end(kSignature), header.begin()) &&
         in.U16At(kOffsetByteOrder) == 0xFFFE && (major == 3 || major == 4) &&
         (shift == 9 || shift == 12) && in.U16At(kOffsetMiniShift) == 6 &&
         in.U32At(kOffsetMiniCutoff) == kMiniCutoff;
}

bool CompoundFile::Open(std::span<const std::uint8_t> header) {
  if (!IsCompoundFileHeader(header)) return false;
  ByteReader in(header);
  sectorSize_ = std::size_t{1} << in.U16At(kOffsetSectorShift);
  std::uint64_t fileSize = 0;
  if (!file_.Size(fileSize) || fileSize <= sectorSize_) return false;
  sectorCount_ = static_cast<std::uint32_t>(
      std::min<std::uint64_t>((fileSize - 1) / sectorSize_, kLargestSector + 1));
  miniFatStart_ = in.U32At(kOffsetFirstMiniFat);
  miniFatSectors_ = in.U32At(kOffsetMiniFatSectors);

  // The FAT's sectors: the first 109 in the header, the rest in the DIFAT's
  // chain, whose sectors end in the next one's number. No more are taken
  // than the file's sectors need.
  const std::size_t perSector = sectorSize_ / 4;
  const std::size_t fatCount = std::min<std::size_t>(in.U32At(kOffsetFatSectors),
                                                     (sectorCount_ + perSector - 1) / perSector);
  for (std::size_t i = 0; i < kHeaderDifatEntries && fatPlaces_.size() < fatCount; ++i)
    fatPlaces_.push_back(in.U32At(kOffsetDifat + 4 * i));
  std::uint32_t difat = in.U32At(kOffsetFirstDifat);
  std::uint32_t difatLeft = in.U32At(kOffsetDifatSectors);
  std::vector<std::uint8_t> sector(sectorSize_);
  while (fatPlaces_.size() < fatCount) {
    if (difatLeft-- == 0 || difat >= sectorCount_ ||
        !ReadAt((std::uint64_t{difat} + 1) * sectorSize_, sector.data(), sectorSize_))
      return false;
    for (std::size_t i = 0; i + 1 < perSector && fatPlaces_.size() < fatCount; ++i)
      fatPlaces_.push_back(NumberAt(sector, i));
    difat = NumberAt(sector, perSector - 1);
  }
  fat_.resize(fatPlaces_.size());

  // The directory's chain, to its end: its length is known only there.
  std::vector<std::uint32_t> chain;
  for (std::uint32_t at = in.U32At(kOffsetFirstDirectory); at != kEndOfChain;) {
    if (at >= sectorCount_ || chain.size() >= kDirectoryLimit / sectorSize_) return false;
    chain.push_back(at);
    if (!Next(at, false, at)) return false;
  }
  std::vector<std::uint8_t> directory(chain.size() * sectorSize_);
  if (directory.empty() || !ReadUnits(chain, false, 0, directory.data(), directory.size()))
    return false;
  entries_.resize(directory.size() / kEntrySize);
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    ByteReader entry(&directory[i * kEntrySize], kEntrySize);
    CompoundEntry& out = entries_[i];
    const std::size_t nameBytes =
        std::min<std::size_t>(entry.U16At(kOffsetNameSize), kEntryNameBytes);
    out.nameUnits = nameBytes >= 2 ? nameBytes / 2 - 1 : 0;
    for (std::size_t unit = 0; unit < out.nameUnits; ++unit)
      out.name[unit] = static_cast<char16_t>(entry.U16At(2 * unit));
    out.type = entry.U8At(kOffsetType);
    out.left = entry.U32At(kOffsetLeft);
    out.right = entry.U32At(kOffsetRight);
    out.child = entry.U32At(kOffsetChild);
    out.start = entry.U32At(kOffsetStart);
    out.size = entry.U32At(kOffsetSize);
    // Files of 512-byte sectors may leave garbage in the high half.
    if (sectorSize_ != 512) out.size |= std::uint64_t{entry.U32At(kOffsetSize + 4)} << 32;
  }
  return !entries_.empty() && entries_[0].type == kRootType;
}

std::vector<std::uint32_t> CompoundFile::RootChildren() const {
  std::vector<std::uint32_t> children;
  std::vector<bool> seen(entries_.size());
  std::vector<std::uint32_t> pending{entries_[0].child};
  while (!pending.empty()) {
    const std::uint32_t id = pending.back();
    pending.pop_back();
    if (id == kNoEntry || id >= entries_.size() || seen[id]) continue;
    seen[id] = true;
    children.push_back(id);
    pending.push_back(entries_[id].right);
    pending.push_back(entries_[id].left);
  }
  return children;
}

bool CompoundFile::ReadAt(std::uint64_t offset, void* out, std::size_t size) {
  return SkipTo(file_, offset) && file_.Read(out, size) == size;
}

bool CompoundFile::Next(std::uint32_t unit, bool mini, std::uint32_t& next) {
  if (mini) {
    if (unit >= miniFat_.size()) return false;
    next = miniFat_[unit];
    return true;
  }
  const std::size_t perSector = sectorSize_ / 4;
  const std::size_t index = unit / perSector;
  if (index >= fat_.size()) return false;
  if (!fat_[index]) {
    const std::uint32_t place = fatPlaces_[index];
    std::vector<std::uint8_t> sector(sectorSize_);
    if (place >= sectorCount_ ||
        !ReadAt((std::uint64_t{place} + 1) * sectorSize_, sector.data(), sectorSize_))
      return false;
    auto entries = std::make_unique<std::uint32_t[]>(perSector);
    for (std::size_t i = 0; i < perSector; ++i) entries[i] = NumberAt(sector, i);
    fat_[index] = std::move(entries);
  }
  next = fat_[index][unit % perSector];
  return true;
}

bool CompoundFile::UnitOffset(std::uint32_t unit, bool mini, std::uint64_t& offset) {
  if (!mini) {
    if (unit >= sectorCount_) return false;
    offset = (std::uint64_t{unit} + 1) * sectorSize_;
    return true;
  }
  const std::uint64_t at = std::uint64_t{unit} * kMiniSectorSize;
  if (at + kMiniSectorSize > miniStream_.size() * std::uint64_t{sectorSize_}) return false;
  const std::uint32_t sector = miniStream_[static_cast<std::size_t>(at / sectorSize_)];
  offset = (std::uint64_t{sector} + 1) * sectorSize_ + at % sectorSize_;
  return true;
}

bool CompoundFile::Follow(std::vector<std::uint32_t>& chain, std::uint32_t start, std::size_t count,
                          bool mini) {
  std::uint64_t offset = 0;
  if (chain.empty() && count > 0) {
    if (!UnitOffset(start, mini, offset)) return false;
    chain.push_back(start);
  }
  // `count` is bounded by the stream's size, which the file bounds: a chain
  // that loops cannot hold the walk longer than the file's own sectors.
  while (chain.size() < count) {
    std::uint32_t next = 0;
    if (!Next(chain.back(), mini, next) || !UnitOffset(next, mini, offset)) return false;
    chain.push_back(next);
  }
  return true;
}

bool CompoundFile::ReadUnits(std::span<const std::uint32_t> units, bool mini, std::size_t skip,
                             std::uint8_t* out, std::size_t size) {
  const std::size_t unitSize = UnitSize(mini);
  std::uint64_t runAt = 0;
  std::size_t runSize = 0;
  for (std::size_t i = 0; i < units.size() && size > runSize; ++i) {
    std::uint64_t offset = 0;
    if (!UnitOffset(units[i], mini, offset)) return false;
    const std::size_t from = i == 0 ? skip : 0;
    const std::size_t take = std::min(unitSize - from, size - runSize);
    if (runSize != 0 && runAt + runSize == offset + from) {
      runSize += take;
      continue;
    }
    if (runSize != 0) {
      if (!ReadAt(runAt, out, runSize)) return false;
      out += runSize;
      size -= runSize;
    }
    runAt = offset + from;
    runSize = take;
  }
  return runSize == size && (size == 0 || ReadAt(runAt, out, size));
}

bool CompoundFile::LoadMini() {
  if (miniLoaded_) return miniOk_;
  miniLoaded_ = true;
  const CompoundEntry& root = entries_[0];
  miniStreamSize_ = root.size;
  const std::uint64_t sectors = (root.size + sectorSize_ - 1) / sectorSize_;
  if (sectors > sectorCount_ || !Follow(miniStream_, root.start, sectors, false)) return false;
  // The mini FAT: as many sectors as the mini stream's sectors need.
  const std::uint64_t miniSectors = root.size / kMiniSectorSize;
  const std::size_t perSector = sectorSize_ / 4;
  const std::size_t fatSectors = static_cast<std::size_t>(
      std::min<std::uint64_t>(miniFatSectors_, (miniSectors + perSector - 1) / perSector));
  std::vector<std::uint32_t> chain;
  std::vector<std::uint8_t> bytes(fatSectors * sectorSize_);
  if (!Follow(chain, miniFatStart_, fatSectors, false) ||
      !ReadUnits(chain, false, 0, bytes.data(), bytes.size()))
    return false;
  miniFat_.resize(bytes.size() / 4);
  for (std::size_t i = 0; i < miniFat_.size(); ++i) miniFat_[i] = NumberAt(bytes, i);
  miniOk_ = true;
  return true;
}

bool CompoundFile::ReadStream(const CompoundEntry& entry, std::size_t limit,
                              std::vector<std::uint8_t>& out) {
  out.clear();
  if (entry.size > limit) return false;
  if (entry.size == 0) return true;
  CompoundStreamSource stream(*this, entry);
  out.resize(static_cast<std::size_t>(entry.size));
  return stream.Read(out.data(), out.size()) == out.size();
}

CompoundStreamSource::CompoundStreamSource(CompoundFile& file, const CompoundEntry& entry)
    : file_(file), start_(entry.start), size_(entry.size), mini_(entry.size < kMiniCutoff) {
  // A stream larger than the file (or than its mini stream) is damage, found
  // before anything is read or held for it.
  if (mini_)
    broken_ = !file_.LoadMini() || size_ > file_.miniStreamSize_ ||
              size_ > file_.miniStream_.size() * std::uint64_t{file_.sectorSize_};
  else
    broken_ = size_ / file_.sectorSize_ > file_.sectorCount_;
}

bool CompoundStreamSource::ReadRange(std::uint64_t at, std::uint8_t* out, std::size_t size) {
  const std::size_t unit = file_.UnitSize(mini_);
  const auto first = static_cast<std::size_t>(at / unit);
  const auto last = static_cast<std::size_t>((at + size - 1) / unit);
  if (!file_.Follow(chain_, start_, last + 1, mini_)) return false;
  return file_.ReadUnits(std::span(chain_).subspan(first, last - first + 1), mini_,
                         static_cast<std::size_t>(at % unit), out, size);
}

std::size_t CompoundStreamSource::Read(void* buffer, std::size_t size) {
  if (broken_ || position_ >= size_) return 0;
  const std::size_t wanted =
      static_cast<std::size_t>(std::min<std::uint64_t>(size, size_ - position_));
  auto* out = static_cast<std::uint8_t*>(buffer);
  std::size_t done = 0;
  while (done < wanted) {
    if (position_ >= bufferAt_ && position_ < bufferAt_ + buffered_) {
      const auto from = static_cast<std::size_t>(position_ - bufferAt_);
      const std::size_t take = std::min(buffered_ - from, wanted - done);
      std::memcpy(out + done, buffer_ + from, take);
      done += take;
      position_ += take;
      continue;
    }
    const std::size_t rest = wanted - done;
    if (rest >= kBufferSize) {
      // A large read goes straight to its destination.
      if (!ReadRange(position_, out + done, rest)) break;
      done += rest;
      position_ += rest;
      break;
    }
    const auto fill =
        static_cast<std::size_t>(std::min<std::uint64_t>(kBufferSize, size_ - position_));
    buffered_ = 0;
    if (!ReadRange(position_, buffer_, fill)) break;
    bufferAt_ = position_;
    buffered_ = fill;
  }
  if (done < wanted) broken_ = true;
  return done;
}

bool CompoundStreamSource::Skip(std::int64_t offset) {
  if (offset < 0 && static_cast<std::uint64_t>(-(offset + 1)) + 1 > position_) return false;
  position_ += static_cast<std::uint64_t>(offset);
  return true;
}
