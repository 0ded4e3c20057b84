// The one way the archive readers decode bytes: a cursor over a record that
// is already in memory. Values are little-endian and decoded byte by byte, so
// no reader ever casts bytes to a struct or indexes a raw pointer. The first
// read that would pass the end clears ok() for good; from then on every read
// gives zeros and the cursor stays where it is, so a reader may decode a
// whole record and test ok() once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  ByteReader(const std::uint8_t* data, std::size_t size) : bytes_(data, size) {}

  bool ok() const { return ok_; }
  std::size_t offset() const { return offset_; }
  std::size_t remaining() const { return bytes_.size() - offset_; }

  std::uint8_t U8() { return static_cast<std::uint8_t>(Take(1)); }
  std::uint16_t U16() { return static_cast<std::uint16_t>(Take(2)); }
  std::uint32_t U32() { return static_cast<std::uint32_t>(Take(4)); }

  // `size` bytes from the cursor; empty (and not ok) when fewer remain.
  std::span<const std::uint8_t> Bytes(std::size_t size) {
    if (!Has(size)) return {};
    auto part = bytes_.subspan(offset_, size);
    offset_ += size;
    return part;
  }
  std::string_view Text(std::size_t size) {
    auto part = Bytes(size);
    return {reinterpret_cast<const char*>(part.data()), part.size()};
  }
  void Skip(std::size_t size) {
    if (Has(size)) offset_ += size;
  }
  // Moves the cursor to `offset` from the start; past the end clears ok().
  void Seek(std::size_t offset) {
    if (!ok_) return;
    if (offset > bytes_.size()) {
      ok_ = false;
      return;
    }
    offset_ = offset;
  }

  // Values at a fixed offset of the record, for layouts drawn with named
  // offsets; they do not move the cursor but share the ok flag.
  std::uint8_t U8At(std::size_t offset) { return static_cast<std::uint8_t>(At(offset, 1)); }
  std::uint16_t U16At(std::size_t offset) { return static_cast<std::uint16_t>(At(offset, 2)); }
  std::uint32_t U32At(std::size_t offset) { return static_cast<std::uint32_t>(At(offset, 4)); }

 private:
  bool Has(std::size_t size) {
    if (ok_ && size <= bytes_.size() - offset_) return true;
    ok_ = false;
    return false;
  }
  std::uint64_t Take(std::size_t size) {
    if (!Has(size)) return 0;
    std::uint64_t value = Decode(offset_, size);
    offset_ += size;
    return value;
  }
  std::uint64_t At(std::size_t offset, std::size_t size) {
    if (!ok_ || offset > bytes_.size() || size > bytes_.size() - offset) {
      ok_ = false;
      return 0;
    }
    return Decode(offset, size);
  }
  std::uint64_t Decode(std::size_t offset, std::size_t size) const {
    std::uint64_t value = 0;
    for (std::size_t i = size; i-- > 0;) value = (value << 8) | bytes_[offset + i];
    return value;
  }

  std::span<const std::uint8_t> bytes_;
  std::size_t offset_ = 0;
  bool ok_ = true;
};
