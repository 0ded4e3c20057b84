// An open Windows file as a ByteSource: every call is a system call, so the
// readers get it through a BufferedByteSource.
#pragma once

#include "finder/archive/byte_source.h"

class FileByteSource final : public ByteSource {
 public:
  explicit FileByteSource(void* handle) : handle_(handle) {}

  std::size_t Read(void* buffer, std::size_t size) override;
  bool Skip(std::int64_t offset) override;
  std::uint64_t Position() const override { return position_; }
  bool Size(std::uint64_t& size) override;

 private:
  void* handle_;
  std::uint64_t position_ = 0;  // the file is opened at its start
};
