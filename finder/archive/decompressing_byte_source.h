// The bytes a compressed stream decodes to, read through the ByteSource
// interface, so that a reader of headers (tar) walks a compressed archive as
// it walks a plain one. The codecs are the libraries': zlib for gzip,
// liblzma for xz, libzstd, libbz2.
//
// Decoding runs in a fixed amount of memory whatever the stream claims:
// gzip's window is 32 KiB; an xz stream needing more than kXzMemoryLimit (its
// dictionary, 64 MiB at xz -9) and a zstd frame with a window beyond
// 2^kZstdWindowLogMax (128 MiB, what zstd --long and --ultra -22 use) are
// refused, which ends the data; bzip2 needs at most some 3.7 MiB. Besides the
// codec's state the source holds two 64 KiB buffers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "finder/archive/byte_source.h"

enum class Compression : std::uint8_t { Gzip, Xz, Zstd, Bzip2 };

inline constexpr std::uint64_t kXzMemoryLimit = std::uint64_t{128} << 20;
inline constexpr int kZstdWindowLogMax = 27;

class DecompressingByteSource final : public ByteSource {
 public:
  static constexpr std::size_t kInputSize = 64 * 1024;
  static constexpr std::size_t kScratchSize = 64 * 1024;

  // Decodes `packed` from its current position on. Streams written one
  // behind the other (gzip members, xz streams, zstd frames, bzip2 streams)
  // read as one; bytes behind the last that start no stream of the codec end
  // the data.
  DecompressingByteSource(ByteSource& packed, Compression compression);
  ~DecompressingByteSource() override;
  DecompressingByteSource(const DecompressingByteSource&) = delete;
  DecompressingByteSource& operator=(const DecompressingByteSource&) = delete;

  // Decodes into `buffer`. Data that is damaged, cut short or refused ends
  // where the decoder stopped: the bytes decoded before stay good, the count
  // falls short and every later read gives nothing.
  std::size_t Read(void* buffer, std::size_t size) override;
  // Forward only: decodes and drops. A backward seek fails; one past the
  // end succeeds and leaves nothing to read, as with a file.
  bool Skip(std::int64_t offset) override;
  // Decoded bytes passed so far.
  std::uint64_t Position() const override { return position_; }
  // Not known before the end.
  bool Size(std::uint64_t&) override { return false; }

  class Decoder;

 private:
  void Refill();

  ByteSource& packed_;
  std::unique_ptr<Decoder> decoder_;
  std::unique_ptr<std::uint8_t[]> input_, scratch_;
  std::size_t inputAt_ = 0, inputEnd_ = 0;
  bool packedEnded_ = false;  // the packed source has no more bytes
  bool ended_ = false;        // the decoded data has no more bytes
  std::uint64_t position_ = 0;
};
