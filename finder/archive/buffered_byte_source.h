// A read-ahead buffer in front of another ByteSource (on Windows, the file).
//
// The readers read small records and skip member data. Every call on a file
// is a system call, and under Wine a costly one, so records and short forward
// skips are served from a 64 KiB buffer. After a skip that leaves the buffer
// only a few KiB are read, since the next skip is likely to leave again soon
// (an archive of large members); reading on from there fills the whole buffer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "finder/archive/byte_source.h"

class BufferedByteSource final : public ByteSource {
 public:
  static constexpr std::size_t kBufferSize = 64 * 1024;
  static constexpr std::size_t kFillAfterSkip = 4 * 1024;

  explicit BufferedByteSource(ByteSource& raw) : raw_(raw) {}
  BufferedByteSource(const BufferedByteSource&) = delete;
  BufferedByteSource& operator=(const BufferedByteSource&) = delete;

  std::size_t Read(void* buffer, std::size_t size) override;
  bool Skip(std::int64_t offset) override;
  std::uint64_t Position() const override { return raw_.Position() - (filled_ - cursor_); }
  bool Size(std::uint64_t& size) override { return raw_.Size(size); }

 private:
  ByteSource& raw_;
  std::size_t cursor_ = 0;  // next byte to hand out
  std::size_t filled_ = 0;  // bytes in the buffer; the raw source stands behind them
  std::size_t nextFill_ = kFillAfterSkip;
  std::uint8_t buffer_[kBufferSize];
};
