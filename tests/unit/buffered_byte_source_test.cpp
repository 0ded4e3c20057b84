// The read-ahead buffer: it must return exactly what the source underneath
// holds, whatever the mix of reads and skips, and spend few calls on it.
#include "finder/archive/buffered_byte_source.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// Counts what reaches the source underneath.
class CountingSource final : public ByteSource {
 public:
  explicit CountingSource(const std::vector<std::uint8_t>& bytes)
      : inner_(bytes.data(), bytes.size()) {}
  std::size_t Read(void* buffer, std::size_t size) override {
    reads.push_back(size);
    return inner_.Read(buffer, size);
  }
  bool Skip(std::int64_t offset) override {
    ++skips;
    return inner_.Skip(offset);
  }
  std::uint64_t Position() const override { return inner_.Position(); }
  bool Size(std::uint64_t& size) override { return inner_.Size(size); }
  std::vector<std::size_t> reads;
  int skips = 0;

 private:
  MemoryByteSource inner_;
};

std::vector<std::uint8_t> Numbered(std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + (i >> 8));
  return bytes;
}

TEST(BufferedByteSource, BehavesExactlyLikeTheSourceUnderneath) {
  const auto bytes = Numbered(300 * 1024);
  std::mt19937 random(12345);
  CountingSource raw(bytes);
  BufferedByteSource buffered(raw);
  MemoryByteSource direct(bytes.data(), bytes.size());
  std::vector<std::uint8_t> a(200 * 1024), b(200 * 1024);
  for (int step = 0; step < 5000; ++step) {
    int kind = random() % 10;
    if (kind < 6) {
      // Mostly small records, now and then a large block.
      std::size_t size = kind == 0 ? random() % (150 * 1024) : random() % 64;
      std::size_t got = buffered.Read(a.data(), size);
      ASSERT_EQ(got, direct.Read(b.data(), size)) << "step " << step;
      ASSERT_TRUE(std::equal(a.begin(), a.begin() + got, b.begin())) << "step " << step;
    } else {
      std::int64_t offset = kind < 8 ? std::int64_t(random() % 2000) - 200
                                     : std::int64_t(random() % (200 * 1024)) - 100 * 1024;
      ASSERT_EQ(buffered.Skip(offset), direct.Skip(offset)) << "step " << step;
    }
    ASSERT_EQ(buffered.Position(), direct.Position()) << "step " << step;
  }
}

// The fills follow the skips: a few hundred bytes after a far skip (a large
// member's header and name), the whole buffer when reading on or after a
// skip that lands not far behind the buffer.
TEST(BufferedByteSource, FillsLittleAfterAFarSkipAndTheWholeBufferOtherwise) {
  const auto bytes = Numbered(1024 * 1024);
  CountingSource raw(bytes);
  BufferedByteSource buffered(raw);
  constexpr std::size_t kFar = 290, kWhole = 64 * 1024;
  std::uint8_t record[46];
  std::size_t at = 0;
  struct Step {
    std::int64_t skip;               // before the read of 30 bytes
    std::vector<std::size_t> reads;  // every read the source has seen since the start
    int skips;                       // every seek the source has seen since the start
  };
  const Step steps[] = {
      {0, {4096}, 0},                                    // the first fill
      {1000, {4096}, 0},                                 // inside the buffer: no call
      {200 * 1024, {4096, kFar}, 1},                     // far away: one seek, a small fill
      {kFar - 30 - 10, {4096, kFar, kWhole}, 1},         // reading on fills the whole buffer
      {kWhole + 100, {4096, kFar, kWhole, kWhole}, 2},   // just past the buffer: whole
      {-3000, {4096, kFar, kWhole, kWhole, kWhole}, 3},  // backwards out of it: whole
      {300 * 1024, {4096, kFar, kWhole, kWhole, kWhole, kFar}, 4},
  };
  for (const Step& step : steps) {
    ASSERT_TRUE(buffered.Skip(step.skip)) << step.skip;
    at += step.skip;
    ASSERT_EQ(buffered.Read(record, 30), 30u) << step.skip;
    EXPECT_EQ(raw.reads, step.reads) << step.skip;
    EXPECT_EQ(raw.skips, step.skips) << step.skip;
    EXPECT_EQ(record[0], bytes[at]) << step.skip;
    EXPECT_EQ(record[29], bytes[at + 29]) << step.skip;
    at += 30;
    EXPECT_EQ(buffered.Position(), at) << step.skip;
  }
}

TEST(BufferedByteSource, SkipInFrontOfTheStartFailsAndKeepsThePosition) {
  const auto bytes = Numbered(100);
  CountingSource raw(bytes);
  BufferedByteSource buffered(raw);
  std::uint8_t byte;
  ASSERT_EQ(buffered.Read(&byte, 1), 1u);
  EXPECT_FALSE(buffered.Skip(-2));
  EXPECT_FALSE(buffered.Skip(INT64_MIN));
  EXPECT_EQ(buffered.Position(), 1u);
  EXPECT_TRUE(buffered.Skip(1000));  // behind the end is allowed, as with a file
  EXPECT_EQ(buffered.Read(&byte, 1), 0u);
  EXPECT_TRUE(buffered.Skip(-1000));
  ASSERT_EQ(buffered.Read(&byte, 1), 1u);
  EXPECT_EQ(byte, bytes[1]);
}

}  // namespace
