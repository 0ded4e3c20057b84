#include "finder/archive/cab_reader_records.h"

#include "finder/archive/byte_reader.h"

namespace {

constexpr std::size_t kOffsetReserved1 = 4;
constexpr std::size_t kOffsetReserved2 = 12;
constexpr std::size_t kOffsetFirstFile = 16;
constexpr std::size_t kOffsetFileCount = 28;

constexpr std::size_t kOffsetFileSize = 0;
constexpr std::size_t kOffsetFileDate = 10;
constexpr std::size_t kOffsetFileTime = 12;
constexpr std::size_t kOffsetFileAttributes = 14;

}  // namespace

bool IsCabinetHeader(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kCabHeaderSize) return false;
  ByteReader in(bytes);
  return in.Text(4) == "MSCF" && in.U32At(kOffsetReserved1) == 0 &&
         in.U32At(kOffsetReserved2) == 0 && in.U32At(kOffsetFirstFile) >= kCabMinFirstFileOffset;
}

CabHeader DecodeCabHeader(std::span<const std::uint8_t> bytes) {
  ByteReader in(bytes);
  return {in.U32At(kOffsetFirstFile), in.U16At(kOffsetFileCount)};
}

CabFileRecord DecodeCabFileRecord(std::span<const std::uint8_t> bytes) {
  ByteReader in(bytes);
  CabFileRecord record;
  record.size = in.U32At(kOffsetFileSize);
  record.stamp.date = in.U16At(kOffsetFileDate);
  record.stamp.time = in.U16At(kOffsetFileTime);
  record.attributes = in.U16At(kOffsetFileAttributes);
  return record;
}

void CabNameCollector::Add(char byte) {
  const auto value = static_cast<unsigned char>(byte);
  const bool secondByte = secondByteNext_ && IsSecondByte(value);
  secondByteNext_ = !secondByte && isLeadByte_ && isLeadByte_(value);
  const bool separator = byte == '\\' && !secondByte;
  if (lastPartOnly_ && separator) {
    length_ = 0;
    overflow_ = false;
  } else if (length_ == capacity_) {
    overflow_ = true;
  } else {
    buffer_[length_++] = byte;
    if (separator) partStart_ = length_;
  }
  buffer_[length_] = '\0';
}

void CabNameCollector::Add(std::string_view bytes) {
  // A backslash may be the second byte of a double-byte character: those
  // names go a byte at a time.
  if (isLeadByte_) {
    for (char byte : bytes) Add(byte);
    return;
  }
  const std::size_t backslash = bytes.rfind('\\');
  if (lastPartOnly_ && backslash != std::string_view::npos) {
    length_ = 0;
    overflow_ = false;
    bytes.remove_prefix(backslash + 1);
  }
  const std::size_t room = capacity_ - length_;
  if (!lastPartOnly_ && backslash != std::string_view::npos && backslash < room)
    partStart_ = length_ + backslash + 1;
  if (bytes.size() > room) {
    overflow_ = true;
    bytes = bytes.substr(0, room);
  }
  bytes.copy(buffer_ + length_, bytes.size());
  length_ += bytes.size();
  buffer_[length_] = '\0';
}
