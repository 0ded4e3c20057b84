// A read-ahead buffer in front of another ByteSource (on Windows, the file).
//
// The readers read small records and skip member data. Every call on a file
// is a system call, and under Wine a costly one, so records and short forward
// skips are served from a 64 KiB buffer. How much a refill reads follows the
// skips: after a skip far past the buffer the members are large, and the
// next one's header and name are all that will be read before the next long
// skip, so only a few hundred bytes are read, no more than a one-read-per-
// member walk would; reading on from there, or after a short skip, fills the
// whole buffer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/short_copy.h"
#include "finder/archive/byte_source.h"

class BufferedByteSource final : public ByteSource {
 public:
  static constexpr std::size_t kBufferSize = 64 * 1024;
  // The first fill: a small archive is read whole, a large one costs little.
  static constexpr std::size_t kFirstFill = 4 * 1024;
  // After a far skip: a ZIP local header and a name of up to 260 bytes, as
  // nearly all are (30 + 260 bytes; an LHA level 0 or 1 header with its
  // name, which its one-byte size keeps under 258, fits too); a longer name
  // costs one more read. More would only bring in further pages of a file
  // that the page cache may not hold whole.
  static constexpr std::size_t kFillAfterFarSkip = 30 + 260;
  // A skip at least this far past the buffer counts as far: a full buffer
  // would hold at most a few headers of such members.
  static constexpr std::size_t kFarSkip = kBufferSize / 4;

  explicit BufferedByteSource(ByteSource& raw) : raw_(raw) {}
  BufferedByteSource(const BufferedByteSource&) = delete;
  BufferedByteSource& operator=(const BufferedByteSource&) = delete;

  // Records and names, often a byte at a time, come from the buffer without
  // a call on the source: this part stays small enough to be cheap.
  std::size_t Read(void* buffer, std::size_t size) override {
    if (size > filled_ - cursor_) return ReadAndFill(buffer, size);
    CopyShort(buffer, buffer_ + cursor_, size);
    cursor_ += size;
    return size;
  }
  bool Skip(std::int64_t offset) override;
  std::uint64_t Position() const override { return raw_.Position() - (filled_ - cursor_); }
  bool Size(std::uint64_t& size) override { return raw_.Size(size); }

 private:
  std::size_t ReadAndFill(void* buffer, std::size_t size);

  ByteSource& raw_;
  std::size_t cursor_ = 0;  // next byte to hand out
  std::size_t filled_ = 0;  // bytes in the buffer; the raw source stands behind them
  std::size_t nextFill_ = kFirstFill;
  std::uint8_t buffer_[kBufferSize];
};
