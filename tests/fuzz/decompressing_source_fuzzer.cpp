// The decompressing source on damaged streams. The first byte picks the
// codec (gzip, xz, zstd, bzip2); the second seeds the sizes of the reads and
// forward skips that take the decoded bytes, as the tar reader takes them in
// headers, names and data; the rest is the stream.
//
// Every input starts a decoder of its own, and the codecs set up per stream
// what a listing sets up once per archive: liblzma allocates and clears the
// dictionary the stream asks for (8 MiB at xz's default preset), bzip2 its
// block tables. So this target runs about a thousand inputs a second, where
// the readers' targets run tens of thousands: a million inputs take it some
// twenty minutes.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "finder/archive/decompressing_byte_source.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const auto compression = static_cast<Compression>(data[0] % 4);
  std::uint32_t steps = data[1] * 2654435761u + 1;
  MemoryByteSource packed(data + 2, size - 2);
  const auto source = std::make_unique<DecompressingByteSource>(packed, compression);
  std::uint8_t buffer[2048];
  std::uint64_t expected = 0;
  // A bound on the rounds: a bomb of zeros decodes for long.
  for (int round = 0; round < 4096; ++round) {
    steps = steps * 1103515245u + 12345u;
    const std::size_t chunk = steps >> 8 & 2047;
    if (steps & 1) {
      const std::size_t got = source->Read(buffer, chunk);
      expected += got;
      if (got < chunk) break;
    } else {
      // Forward skips always succeed, past the end too.
      if (!source->Skip(static_cast<std::int64_t>(chunk) * 37)) __builtin_trap();
      expected += chunk * 37;
    }
    if (source->Position() != expected) __builtin_trap();
  }
  if (source->Skip(-1)) __builtin_trap();
  return 0;
}
