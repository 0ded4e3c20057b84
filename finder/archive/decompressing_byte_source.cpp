#include "finder/archive/decompressing_byte_source.h"

#include <lzma.h>
#include <zlib.h>
#include <zstd.h>

// bzlib.h brings in <windows.h> on Windows, which no core file may: read as
// on any other system it declares the same functions, whose calling
// convention is the one convention of x86-64.
#pragma push_macro("_WIN32")
#undef _WIN32
#include <bzlib.h>
#pragma pop_macro("_WIN32")

#include <algorithm>
#include <climits>
#include <span>

// One codec's stream decoder behind the calls the source makes.
class DecompressingByteSource::Decoder {
 public:
  enum class Step { Going, StreamEnd, Failed };

  virtual ~Decoder() = default;
  // False when the codec could not be set up.
  virtual bool ok() const = 0;
  // Decodes from `in` into `out`, telling how much of each it took and gave.
  // `inputEnded`: no input follows `in`.
  virtual Step Decode(std::span<const std::uint8_t> in, std::size_t& consumed,
                      std::span<std::uint8_t> out, std::size_t& produced, bool inputEnded) = 0;
  // After StreamEnd: gets ready for the stream that `next` starts; false
  // when it starts none.
  virtual bool Restart(std::span<const std::uint8_t> next) = 0;
};

namespace {

using Decoder = DecompressingByteSource::Decoder;
using Step = Decoder::Step;

// The libraries count in unsigned int.
constexpr std::size_t kLargestCall = UINT_MAX;

std::size_t Clamp(std::size_t size) {
  return std::min(size, kLargestCall);
}

class GzipDecoder final : public Decoder {
 public:
  GzipDecoder() { ok_ = inflateInit2(&z_, 15 + 16) == Z_OK; }  // a 32 KiB window, gzip only
  ~GzipDecoder() override {
    if (ok_) inflateEnd(&z_);
  }
  bool ok() const override { return ok_; }
  Step Decode(std::span<const std::uint8_t> in, std::size_t& consumed, std::span<std::uint8_t> out,
              std::size_t& produced, bool) override {
    z_.next_in = const_cast<Bytef*>(in.data());
    z_.avail_in = static_cast<uInt>(Clamp(in.size()));
    z_.next_out = out.data();
    z_.avail_out = static_cast<uInt>(Clamp(out.size()));
    const uInt inBefore = z_.avail_in, outBefore = z_.avail_out;
    const int result = inflate(&z_, Z_NO_FLUSH);
    consumed = inBefore - z_.avail_in;
    produced = outBefore - z_.avail_out;
    if (result == Z_STREAM_END) return Step::StreamEnd;
    return result == Z_OK || result == Z_BUF_ERROR ? Step::Going : Step::Failed;
  }
  // Parallel compressors write several members.
  bool Restart(std::span<const std::uint8_t> next) override {
    return next[0] == 0x1F && inflateReset(&z_) == Z_OK;
  }

 private:
  z_stream z_{};
  bool ok_ = false;
};

class XzDecoder final : public Decoder {
 public:
  // Concatenated streams and the padding between them are liblzma's to read.
  XzDecoder() { ok_ = lzma_stream_decoder(&s_, kXzMemoryLimit, LZMA_CONCATENATED) == LZMA_OK; }
  ~XzDecoder() override { lzma_end(&s_); }
  bool ok() const override { return ok_; }
  Step Decode(std::span<const std::uint8_t> in, std::size_t& consumed, std::span<std::uint8_t> out,
              std::size_t& produced, bool inputEnded) override {
    s_.next_in = in.data();
    s_.avail_in = in.size();
    s_.next_out = out.data();
    s_.avail_out = out.size();
    const lzma_ret result = lzma_code(&s_, inputEnded ? LZMA_FINISH : LZMA_RUN);
    consumed = in.size() - s_.avail_in;
    produced = out.size() - s_.avail_out;
    if (result == LZMA_STREAM_END) return Step::StreamEnd;
    return result == LZMA_OK || result == LZMA_BUF_ERROR ? Step::Going : Step::Failed;
  }
  bool Restart(std::span<const std::uint8_t>) override { return false; }

 private:
  lzma_stream s_ = LZMA_STREAM_INIT;
  bool ok_ = false;
};

class ZstdDecoder final : public Decoder {
 public:
  ZstdDecoder() : d_(ZSTD_createDStream()) {
    ok_ = d_ != nullptr &&
          !ZSTD_isError(ZSTD_DCtx_setParameter(d_, ZSTD_d_windowLogMax, kZstdWindowLogMax));
  }
  ~ZstdDecoder() override { ZSTD_freeDStream(d_); }
  bool ok() const override { return ok_; }
  // Frames that follow one another are decoded on by the library itself.
  Step Decode(std::span<const std::uint8_t> in, std::size_t& consumed, std::span<std::uint8_t> out,
              std::size_t& produced, bool) override {
    ZSTD_inBuffer input{in.data(), in.size(), 0};
    ZSTD_outBuffer output{out.data(), out.size(), 0};
    const std::size_t result = ZSTD_decompressStream(d_, &output, &input);
    consumed = input.pos;
    produced = output.pos;
    return ZSTD_isError(result) ? Step::Failed : Step::Going;
  }
  bool Restart(std::span<const std::uint8_t>) override { return false; }

 private:
  ZSTD_DStream* d_;
  bool ok_ = false;
};

class Bzip2Decoder final : public Decoder {
 public:
  Bzip2Decoder() { ok_ = BZ2_bzDecompressInit(&b_, 0, 0) == BZ_OK; }
  ~Bzip2Decoder() override {
    if (ok_) BZ2_bzDecompressEnd(&b_);
  }
  bool ok() const override { return ok_; }
  Step Decode(std::span<const std::uint8_t> in, std::size_t& consumed, std::span<std::uint8_t> out,
              std::size_t& produced, bool) override {
    b_.next_in = const_cast<char*>(reinterpret_cast<const char*>(in.data()));
    b_.avail_in = static_cast<unsigned>(Clamp(in.size()));
    b_.next_out = reinterpret_cast<char*>(out.data());
    b_.avail_out = static_cast<unsigned>(Clamp(out.size()));
    const unsigned inBefore = b_.avail_in, outBefore = b_.avail_out;
    const int result = BZ2_bzDecompress(&b_);
    consumed = inBefore - b_.avail_in;
    produced = outBefore - b_.avail_out;
    if (result == BZ_STREAM_END) return Step::StreamEnd;
    return result == BZ_OK ? Step::Going : Step::Failed;
  }
  // Parallel compressors write several streams.
  bool Restart(std::span<const std::uint8_t> next) override {
    if (next[0] != 'B') return false;
    BZ2_bzDecompressEnd(&b_);
    b_ = {};
    ok_ = BZ2_bzDecompressInit(&b_, 0, 0) == BZ_OK;
    return ok_;
  }

 private:
  bz_stream b_{};
  bool ok_ = false;
};

std::unique_ptr<Decoder> MakeDecoder(Compression compression) {
  switch (compression) {
    case Compression::Gzip:
      return std::make_unique<GzipDecoder>();
    case Compression::Xz:
      return std::make_unique<XzDecoder>();
    case Compression::Zstd:
      return std::make_unique<ZstdDecoder>();
    case Compression::Bzip2:
      return std::make_unique<Bzip2Decoder>();
  }
  return nullptr;
}

}  // namespace

DecompressingByteSource::DecompressingByteSource(ByteSource& packed, Compression compression)
    : packed_(packed),
      decoder_(MakeDecoder(compression)),
      input_(std::make_unique_for_overwrite<std::uint8_t[]>(kInputSize)),
      scratch_(std::make_unique_for_overwrite<std::uint8_t[]>(kScratchSize)) {
  ended_ = !decoder_ || !decoder_->ok();
}

DecompressingByteSource::~DecompressingByteSource() = default;

void DecompressingByteSource::Refill() {
  inputAt_ = 0;
  inputEnd_ = packed_.Read(input_.get(), kInputSize);
  packedEnded_ = inputEnd_ == 0;
}

std::size_t DecompressingByteSource::Read(void* buffer, std::size_t size) {
  auto* out = static_cast<std::uint8_t*>(buffer);
  std::size_t total = 0;
  while (total < size && !ended_) {
    if (inputAt_ == inputEnd_ && !packedEnded_) Refill();
    std::size_t consumed = 0, produced = 0;
    const Step step = decoder_->Decode({input_.get() + inputAt_, inputEnd_ - inputAt_}, consumed,
                                       {out + total, size - total}, produced, packedEnded_);
    inputAt_ += consumed;
    total += produced;
    if (step == Step::Failed) {
      ended_ = true;
    } else if (step == Step::StreamEnd) {
      if (inputAt_ == inputEnd_ && !packedEnded_) Refill();
      ended_ = inputAt_ == inputEnd_ ||
               !decoder_->Restart({input_.get() + inputAt_, inputEnd_ - inputAt_});
    } else if (consumed == 0 && produced == 0) {
      // Nothing moves: the stream was cut short, or the decoder is stuck
      // on input it holds.
      ended_ = packedEnded_ || inputAt_ != inputEnd_;
    }
  }
  position_ += total;
  return total;
}

bool DecompressingByteSource::Skip(std::int64_t offset) {
  if (offset < 0) return false;
  auto left = static_cast<std::uint64_t>(offset);
  while (left > 0 && !ended_) {
    const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(left, kScratchSize));
    const std::size_t got = Read(scratch_.get(), take);
    left -= got;
    if (got < take) break;
  }
  // Past the end, as a file allows: nothing is left to read.
  position_ += left;
  return true;
}
