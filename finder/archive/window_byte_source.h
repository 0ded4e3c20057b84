// A stretch of another source read as a source of its own: an archive stored
// whole inside another archive is read in place, through the outer one's
// buffer, without copying it out.
#pragma once

#include <cstddef>
#include <cstdint>

#include "finder/archive/byte_source.h"

class WindowByteSource final : public ByteSource {
 public:
  // The `size` bytes of `outer` from `start` on; they must lie inside it.
  WindowByteSource(ByteSource& outer, std::uint64_t start, std::uint64_t size)
      : outer_(outer), start_(start), size_(size) {}

  std::size_t Read(void* buffer, std::size_t size) override {
    if (position_ >= size_) return 0;
    const std::uint64_t left = size_ - position_;
    const std::size_t take = size < left ? size : static_cast<std::size_t>(left);
    // The outer source is shared with the reader of the outer archive, which
    // may have moved it since.
    if (outer_.Position() != start_ + position_ && !SkipTo(outer_, start_ + position_)) return 0;
    const std::size_t got = outer_.Read(buffer, take);
    position_ += got;
    return got;
  }
  bool Skip(std::int64_t offset) override {
    if (offset < 0 && static_cast<std::uint64_t>(-(offset + 1)) + 1 > position_) return false;
    const std::uint64_t step = static_cast<std::uint64_t>(offset);
    // Far past the end is past the end, not round to the start.
    position_ = offset > 0 && step > ~position_ ? ~std::uint64_t{0} : position_ + step;
    return true;
  }
  std::uint64_t Position() const override { return position_; }
  bool Size(std::uint64_t& size) override {
    size = size_;
    return true;
  }

 private:
  ByteSource& outer_;
  std::uint64_t start_, size_;
  std::uint64_t position_ = 0;
};
