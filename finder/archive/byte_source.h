// The archive readers read through this small interface instead of a file
// handle, so that they run the same on a file, on a buffer in memory (unit
// tests, fuzzing) and through the read-ahead buffer of buffered_byte_source.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

class ByteSource {
 public:
  virtual ~ByteSource() = default;

  // Reads up to `size` bytes at the current position and moves past them.
  // Returns how many were read: fewer than asked at the end of the data, 0
  // after a failure. Readers treat a short count like a failure.
  virtual std::size_t Read(void* buffer, std::size_t size) = 0;

  // Moves the position by `offset` bytes, backwards when negative. A target
  // behind the end is allowed (the next read returns nothing), as with a file;
  // a target in front of the start fails and leaves the position unchanged.
  virtual bool Skip(std::int64_t offset) = 0;

  // The current position, counted from the start of the data.
  virtual std::uint64_t Position() const = 0;

  // The size of the whole data; false when it cannot be told.
  virtual bool Size(std::uint64_t& size) = 0;
};

// Moves to the absolute position `target`.
inline bool SkipTo(ByteSource& source, std::uint64_t target) {
  std::uint64_t here = source.Position();
  return source.Skip(target >= here ? static_cast<std::int64_t>(target - here)
                                    : -static_cast<std::int64_t>(here - target));
}

// Bytes held in memory; the bytes must outlive the source.
class MemoryByteSource final : public ByteSource {
 public:
  explicit MemoryByteSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  MemoryByteSource(const void* data, std::size_t size)
      : bytes_(static_cast<const std::uint8_t*>(data), size) {}

  std::size_t Read(void* buffer, std::size_t size) override {
    if (position_ >= bytes_.size()) return 0;
    std::size_t available = bytes_.size() - static_cast<std::size_t>(position_);
    std::size_t take = size < available ? size : available;
    if (take) std::memcpy(buffer, bytes_.data() + position_, take);
    position_ += take;
    return take;
  }
  bool Skip(std::int64_t offset) override {
    if (offset < 0 && static_cast<std::uint64_t>(-(offset + 1)) + 1 > position_) return false;
    position_ += static_cast<std::uint64_t>(offset);
    return true;
  }
  std::uint64_t Position() const override { return position_; }
  bool Size(std::uint64_t& size) override {
    size = bytes_.size();
    return true;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::uint64_t position_ = 0;
};
