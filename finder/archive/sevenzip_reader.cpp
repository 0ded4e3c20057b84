// 7z: the signature header at the start of the archive places the header at
// its end. That header is either plain (kHeader) or encoded (kEncodedHeader):
// then it describes a packed stream holding the real header, compressed
// (LZMA by default, LZMA2, perhaps behind a BCJ or Delta filter), which
// liblzma decodes in memory; that may again be an encoded header. The plain
// header lists the files column by column (every name, then every flag,
// every time, every attribute), and their sizes come from the streams the
// files' data was packed into. Member data is never read.
//
// Everything in the header is a property: an id, then what that id says.
// Numbers are of a variable width (ReadNumber). Nothing about a count is
// trusted: each count is checked against the header bytes left before it is
// used, and the columns are read a file at a time through cursors, so the
// reader allocates only the header itself and one small record per folder.
#include "finder/archive/sevenzip_reader.h"

#include <lzma.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <span>
#include <vector>

#include "finder/archive/byte_reader.h"
#include "finder/archive/inner_archives.h"
#include "finder/archive/member_name_part.h"
#include "finder/archive/utf8_member_name.h"

namespace {

// Signature header, 32 bytes:
//    0 signature "7z\xBC\xAF\x27\x1C"   6 major version (0)   7 minor version
//    8 CRC-32 of bytes 12-31
//   12 next header offset (8 bytes, from the end of this header)
//   20 next header size (8)   28 CRC-32 of the next header
constexpr std::uint8_t kSignature[] = {'7', 'z', 0xBC, 0xAF, 0x27, 0x1C};
constexpr std::size_t kSignatureHeaderSize = 32;
constexpr std::size_t kMajorVersion = 6;
constexpr std::size_t kStartHeaderCrc = 8;
constexpr std::size_t kStartHeaderFrom = 12;
constexpr std::size_t kNextHeaderOffset = 12;
constexpr std::size_t kNextHeaderSize = 20;
constexpr std::size_t kNextHeaderCrc = 28;

// Property ids.
enum : std::uint8_t {
  kEnd = 0x00,
  kHeader = 0x01,
  kArchiveProperties = 0x02,
  kAdditionalStreamsInfo = 0x03,
  kMainStreamsInfo = 0x04,
  kFilesInfo = 0x05,
  kPackInfo = 0x06,
  kUnpackInfo = 0x07,
  kSubStreamsInfo = 0x08,
  kSize = 0x09,
  kCrc = 0x0A,
  kFolder = 0x0B,
  kCodersUnpackSize = 0x0C,
  kNumUnpackStream = 0x0D,
  kEmptyStream = 0x0E,
  kEmptyFile = 0x0F,
  kAnti = 0x10,
  kName = 0x11,
  kMTime = 0x14,
  kWinAttributes = 0x15,
  kEncodedHeader = 0x17,
};

// Coder ids, the bytes of the id read big-endian.
constexpr std::uint64_t kCoderCopy = 0x00;
constexpr std::uint64_t kCoderDelta = 0x03;
constexpr std::uint64_t kCoderX86 = 0x03030103;
constexpr std::uint64_t kCoderLzma = 0x030101;
constexpr std::uint64_t kCoderLzma2 = 0x21;
constexpr std::uint64_t kCoderUnknown = ~std::uint64_t{0};

// Limits against hostile headers. A header, decoded or not, of at most
// 64 MiB: archives of millions of files have headers of tens of megabytes.
// An encoded header may decode to another one, a few levels deep at most.
// A folder joins at most 64 coders and 64 streams, as archivers write them.
constexpr std::uint64_t kLargestHeader = 64u << 20;
constexpr int kMostEncodings = 4;
constexpr std::size_t kMostCoders = 64;
constexpr std::size_t kMostFolderStreams = 64;

// Windows attributes; with kUnixExtension the high 16 bits hold a Unix mode,
// which the listing leaves alone.
constexpr std::uint32_t kAttributeDirectory = 0x10;
constexpr std::uint32_t kListedAttributes = 0xFF;

std::uint64_t U64At(ByteReader& record, std::size_t offset) {
  const std::uint64_t low = record.U32At(offset);
  return low | std::uint64_t{record.U32At(offset + 4)} << 32;
}

// Ends the reading of a header: every read from here gives zeros.
void Fail(ByteReader& in) {
  in.Skip(in.remaining() + 1);
}

// A number: the leading one bits of the first byte count the bytes that
// follow, little-endian; the first byte's other bits are the top of the
// value.
std::uint64_t ReadNumber(ByteReader& in) {
  const std::uint8_t first = in.U8();
  std::uint8_t mask = 0x80;
  std::uint64_t value = 0;
  for (int i = 0; i < 8; ++i) {
    if ((first & mask) == 0) return value | std::uint64_t{first & (mask - 1u)} << (8 * i);
    value |= std::uint64_t{in.U8()} << (8 * i);
    mask >>= 1;
  }
  return value;
}

// A count of things each of which takes at least one byte of what is left;
// a larger one is damage.
std::size_t ReadCount(ByteReader& in) {
  const std::uint64_t count = ReadNumber(in);
  if (count > in.remaining()) {
    Fail(in);
    return 0;
  }
  return static_cast<std::size_t>(count);
}

// A row of bits, the first in the top bit of the first byte; `all` when the
// header said every bit is set instead of storing them.
struct BitRow {
  std::span<const std::uint8_t> bytes;
  bool all = false;
  bool Get(std::size_t i) const {
    if (all) return true;
    return i / 8 < bytes.size() && (bytes[i / 8] >> (7 - i % 8) & 1);
  }
};

BitRow ReadBits(ByteReader& in, std::size_t count) {
  return {in.Bytes(count / 8 + (count % 8 != 0))};
}

// "All defined" byte, then the bits when not all are.
BitRow ReadDefined(ByteReader& in, std::size_t count) {
  if (in.U8() != 0) return {{}, true};
  return ReadBits(in, count);
}

std::size_t CountSet(const BitRow& bits, std::size_t count) {
  if (bits.all) return count;
  std::size_t set = 0;
  for (std::size_t i = 0; i < count; ++i) set += bits.Get(i);
  return set;
}

// CRCs of `count` streams: which are defined, then theirs. `store` gets
// each defined one.
template <typename Store>
void ReadDigests(ByteReader& in, std::size_t count, Store store) {
  const BitRow defined = ReadDefined(in, count);
  for (std::size_t i = 0; i < count && in.ok(); ++i)
    if (defined.Get(i)) store(i, in.U32());
}

void SkipDigests(ByteReader& in, std::size_t count) {
  const BitRow defined = ReadDefined(in, count);
  const std::size_t set = CountSet(defined, count);
  if (set > in.remaining() / 4) return Fail(in);
  in.Skip(4 * set);
}

// ---- Folders ----------------------------------------------------------------

// Folder record:
//   number of coders; per coder a flags byte (bits 0-3 the id's size, bit 4
//   more than one stream in or out, bit 5 properties follow), the id, the
//   counts of streams in and out when bit 4 is set, the properties;
//   then the bind pairs (one fewer than the outputs), each an input fed by an
//   output, and when more than one input is left unbound, the indices of
//   those that read packed streams.
struct Coder {
  std::uint64_t id = kCoderUnknown;
  std::span<const std::uint8_t> properties;
  std::size_t inputs = 1, outputs = 1;
};

struct BindPair {
  std::uint64_t input, output;
};

struct FolderLayout {
  Coder coders[kMostCoders];
  std::size_t coderCount = 0;
  BindPair pairs[kMostFolderStreams];
  std::size_t pairCount = 0;
  std::size_t inputs = 0, outputs = 0;
  std::size_t packedCount = 0;
  std::uint64_t firstPacked = 0;  // the input that reads the first packed stream
  std::size_t mainOutput = 0;     // the output no coder reads: the folder's data
};

bool ReadFolder(ByteReader& in, FolderLayout& folder) {
  folder.coderCount = static_cast<std::size_t>(ReadNumber(in));
  if (folder.coderCount == 0 || folder.coderCount > kMostCoders) return false;
  for (std::size_t c = 0; c < folder.coderCount && in.ok(); ++c) {
    Coder& coder = folder.coders[c];
    const std::uint8_t flags = in.U8();
    const std::size_t idSize = flags & 0x0F;
    // Bit 7 announced alternative methods, which no archiver writes; every
    // coder has an id.
    if (flags & 0x80 || idSize == 0) return false;
    const auto id = in.Bytes(idSize);
    coder.id = idSize <= 8 ? 0 : kCoderUnknown;
    if (idSize <= 8)
      for (std::uint8_t byte : id) coder.id = coder.id << 8 | byte;
    coder.inputs = coder.outputs = 1;
    if (flags & 0x10) {
      const std::uint64_t inputs = ReadNumber(in), outputs = ReadNumber(in);
      if (inputs > kMostFolderStreams || outputs > kMostFolderStreams) return false;
      coder.inputs = static_cast<std::size_t>(inputs);
      coder.outputs = static_cast<std::size_t>(outputs);
    }
    coder.properties = {};
    if (flags & 0x20) {
      const std::uint64_t size = ReadNumber(in);
      if (size > in.remaining()) return false;
      coder.properties = in.Bytes(static_cast<std::size_t>(size));
    }
    folder.inputs += coder.inputs;
    folder.outputs += coder.outputs;
    if (folder.inputs > kMostFolderStreams || folder.outputs > kMostFolderStreams) return false;
  }
  if (!in.ok() || folder.outputs == 0) return false;
  folder.pairCount = folder.outputs - 1;
  if (folder.pairCount >= folder.inputs) return false;
  std::uint64_t boundOutputs = 0, boundInputs = 0;
  for (std::size_t p = 0; p < folder.pairCount; ++p) {
    BindPair& pair = folder.pairs[p];
    pair = {ReadNumber(in), ReadNumber(in)};
    if (pair.input >= folder.inputs || pair.output >= folder.outputs) return false;
    boundInputs |= std::uint64_t{1} << pair.input;
    boundOutputs |= std::uint64_t{1} << pair.output;
  }
  folder.packedCount = folder.inputs - folder.pairCount;
  if (folder.packedCount == 1) {
    for (std::size_t i = 0; i < folder.inputs; ++i)
      if (!(boundInputs >> i & 1)) {
        folder.firstPacked = i;
        break;
      }
  } else {
    for (std::size_t p = 0; p < folder.packedCount; ++p) {
      const std::uint64_t index = ReadNumber(in);
      if (index >= folder.inputs) return false;
      if (p == 0) folder.firstPacked = index;
    }
  }
  folder.mainOutput = 0;
  while (folder.mainOutput < folder.outputs && (boundOutputs >> folder.mainOutput & 1))
    ++folder.mainOutput;
  return in.ok() && folder.mainOutput < folder.outputs;
}

// What the reader keeps of a folder: 32 bytes, for as many folders as a
// header of the largest size can describe.
constexpr std::uint64_t kNotStored = ~std::uint64_t{0};
struct Folder {
  std::uint64_t size = 0;  // of its data
  // A folder whose one coder copies its one packed stream: where that stream
  // starts, counted from the first packed stream.
  std::uint64_t storedAt = kNotStored;
  std::uint32_t streams = 1;  // the files' streams it holds, one after another
  std::uint32_t crc = 0;
  std::uint8_t outputs = 0, mainOutput = 0;  // at most kMostFolderStreams
  bool hasCrc = false;
};
static_assert(kMostFolderStreams <= 0xFF && kLargestHeader <= 0xFFFFFFFF);

// ---- Streams info ----------------------------------------------------------

// Pack info (the packed streams: where they start, their sizes), coders info
// (the folders, each the coders that turn packed streams into data, and the
// size of every output), substreams info (how each folder's data splits into
// the files' streams), each optional, then kEnd.
struct StreamsInfo {
  std::uint64_t packPosition = 0;  // from the end of the signature header
  std::size_t packCount = 0;
  std::uint64_t firstPackSize = 0;
  std::vector<Folder> folders;
  // The first folder's record, to read its coders again when it holds an
  // encoded header, and how many packed streams it reads.
  std::span<const std::uint8_t> firstFolder;
  std::size_t firstFolderPacked = 0;
  // The sizes of the files' streams but the last of each folder, as numbers;
  // read while the files are listed.
  std::span<const std::uint8_t> streamSizes;
  // The packed streams' sizes, as numbers.
  std::span<const std::uint8_t> packSizes;
};

bool ReadPackInfo(ByteReader& in, std::span<const std::uint8_t> header, StreamsInfo& info) {
  info.packPosition = ReadNumber(in);
  info.packCount = ReadCount(in);
  for (;;) {
    const std::uint64_t id = ReadNumber(in);
    if (!in.ok()) return false;
    if (id == kEnd) return true;
    if (id == kSize) {
      const std::size_t start = in.offset();
      for (std::size_t i = 0; i < info.packCount && in.ok(); ++i) {
        const std::uint64_t size = ReadNumber(in);
        if (i == 0) info.firstPackSize = size;
      }
      if (in.ok()) info.packSizes = header.subspan(start, in.offset() - start);
    } else if (id == kCrc) {
      SkipDigests(in, info.packCount);
    } else {
      return false;
    }
  }
}

// `in` reads `header`, whose bytes each folder's record is kept a view of.
bool ReadUnpackInfo(ByteReader& in, std::span<const std::uint8_t> header, StreamsInfo& info) {
  if (ReadNumber(in) != kFolder) return false;
  // A folder takes four bytes at least: the coder count, flags, an id byte,
  // its size.
  const std::size_t count = ReadCount(in);
  // Folders kept in another stream: no archiver writes them.
  if (count > in.remaining() / 4 || in.U8() != 0 || !in.ok()) return false;
  info.folders.assign(count, Folder{});
  const auto layout = std::make_unique<FolderLayout>();
  // The packed streams are the folders', one folder's after another.
  ByteReader packSizes(info.packSizes);
  std::uint64_t packedAt = 0;
  std::size_t packed = 0;
  for (Folder& folder : info.folders) {
    *layout = FolderLayout{};
    const std::size_t start = in.offset();
    if (!ReadFolder(in, *layout)) return false;
    if (&folder == &info.folders[0]) {
      info.firstFolder = header.subspan(start, in.offset() - start);
      info.firstFolderPacked = layout->packedCount;
    }
    folder.outputs = static_cast<std::uint8_t>(layout->outputs);
    folder.mainOutput = static_cast<std::uint8_t>(layout->mainOutput);
    if (layout->coderCount == 1 && layout->coders[0].id == kCoderCopy && layout->packedCount == 1 &&
        packed < info.packCount && !info.packSizes.empty())
      folder.storedAt = packedAt;
    for (std::size_t p = 0; p < layout->packedCount && packed < info.packCount; ++p, ++packed) {
      const std::uint64_t size = ReadNumber(packSizes);
      packedAt = size > kNotStored - packedAt ? kNotStored : packedAt + size;
    }
  }
  if (ReadNumber(in) != kCodersUnpackSize) return false;
  for (Folder& folder : info.folders)
    for (std::size_t out = 0; out < folder.outputs; ++out) {
      const std::uint64_t size = ReadNumber(in);
      if (out == folder.mainOutput) folder.size = size;
    }
  for (;;) {
    const std::uint64_t id = ReadNumber(in);
    if (!in.ok()) return false;
    if (id == kEnd) return true;
    if (id != kCrc) return false;
    ReadDigests(in, count, [&](std::size_t i, std::uint32_t crc) {
      info.folders[i].hasCrc = true;
      info.folders[i].crc = crc;
    });
  }
}

bool ReadSubStreamsInfo(ByteReader& in, std::span<const std::uint8_t> header, StreamsInfo& info) {
  std::uint64_t id = ReadNumber(in);
  if (id == kNumUnpackStream) {
    // A file's stream takes a byte of the files info at least.
    for (Folder& folder : info.folders) folder.streams = static_cast<std::uint32_t>(ReadCount(in));
    id = ReadNumber(in);
  }
  if (id == kSize) {
    const std::size_t start = in.offset();
    for (const Folder& folder : info.folders)
      for (std::uint64_t s = 1; s < folder.streams && in.ok(); ++s) ReadNumber(in);
    info.streamSizes = header.subspan(start, in.offset() - start);
    id = ReadNumber(in);
  }
  if (id == kCrc) {
    // CRCs of the streams whose CRC the folder's does not give.
    std::uint64_t count = 0;
    for (const Folder& folder : info.folders)
      if (folder.streams != 1 || !folder.hasCrc) count += folder.streams;
    if (count > std::uint64_t{in.remaining()} * 8) return false;
    SkipDigests(in, static_cast<std::size_t>(count));
    id = ReadNumber(in);
  }
  return in.ok() && id == kEnd;
}

bool ReadStreamsInfo(ByteReader& in, std::span<const std::uint8_t> header, StreamsInfo& info) {
  std::uint64_t id = ReadNumber(in);
  if (id == kPackInfo) {
    if (!ReadPackInfo(in, header, info)) return false;
    id = ReadNumber(in);
  }
  if (id == kUnpackInfo) {
    if (!ReadUnpackInfo(in, header, info)) return false;
    id = ReadNumber(in);
  }
  if (id == kSubStreamsInfo) {
    if (!ReadSubStreamsInfo(in, header, info)) return false;
    id = ReadNumber(in);
  }
  return in.ok() && id == kEnd;
}

// ---- The encoded header -----------------------------------------------------

// Frees what lzma_properties_decode allocated for a chain of filters.
struct FilterChain {
  lzma_filter filters[LZMA_FILTERS_MAX + 1];
  std::size_t count = 0;
  FilterChain() { filters[0].id = LZMA_VLI_UNKNOWN; }
  ~FilterChain() {
    for (std::size_t i = 0; i < count; ++i) std::free(filters[i].options);
  }
  FilterChain(const FilterChain&) = delete;
  FilterChain& operator=(const FilterChain&) = delete;
};

// Ends a stream of liblzma on every way out.
struct DecoderStream {
  lzma_stream stream = LZMA_STREAM_INIT;
  ~DecoderStream() { lzma_end(&stream); }
};

// The filter of liblzma that decodes what `coder` made, appended to `chain`;
// false for a coder liblzma has none for (an encrypting one among them) or
// properties it refuses. Copy adds nothing.
bool AddFilter(const Coder& coder, std::uint64_t dataSize, FilterChain& chain) {
  lzma_vli id = LZMA_VLI_UNKNOWN;
  switch (coder.id) {
    case kCoderCopy:
      return true;
    case kCoderLzma:
      id = LZMA_FILTER_LZMA1;
      break;
    case kCoderLzma2:
      id = LZMA_FILTER_LZMA2;
      break;
    case kCoderX86:
      id = LZMA_FILTER_X86;
      break;
    case kCoderDelta:
      id = LZMA_FILTER_DELTA;
      break;
    default:
      return false;
  }
  if (chain.count == LZMA_FILTERS_MAX) return false;
  lzma_filter& filter = chain.filters[chain.count];
  filter.id = id;
  filter.options = nullptr;
  if (lzma_properties_decode(&filter, nullptr, coder.properties.data(), coder.properties.size()) !=
      LZMA_OK)
    return false;
  ++chain.count;
  chain.filters[chain.count].id = LZMA_VLI_UNKNOWN;
  if (id == LZMA_FILTER_LZMA1 || id == LZMA_FILTER_LZMA2) {
    // No match reaches further back than the data's start: a dictionary as
    // large as the data does, whatever size the header asks for.
    auto* options = static_cast<lzma_options_lzma*>(filter.options);
    const std::uint64_t enough = std::max<std::uint64_t>(dataSize, LZMA_DICT_SIZE_MIN);
    if (options->dict_size > enough) options->dict_size = static_cast<std::uint32_t>(enough);
  }
  return true;
}

// The chain of a folder of simple coders (one stream in, one out), from the
// one that gives the folder's data to the one that reads the packed stream:
// the order in which liblzma takes filters.
bool BuildChain(const FolderLayout& folder, std::uint64_t dataSize, FilterChain& chain) {
  for (std::size_t c = 0; c < folder.coderCount; ++c)
    if (folder.coders[c].inputs != 1 || folder.coders[c].outputs != 1) return false;
  // With simple coders stream i is coder i's, in and out.
  std::size_t coder = folder.mainOutput;
  for (std::size_t step = 0; step < folder.coderCount; ++step) {
    if (!AddFilter(folder.coders[coder], dataSize, chain)) return false;
    if (coder == folder.firstPacked) return true;
    const BindPair* feeding = nullptr;
    for (std::size_t p = 0; p < folder.pairCount; ++p)
      if (folder.pairs[p].input == coder) feeding = &folder.pairs[p];
    if (!feeding) return false;
    coder = static_cast<std::size_t>(feeding->output);
  }
  return false;
}

// Decodes `packed` into `data`, which the folder says is `size` bytes. The
// output grows as it is made, so a header that claims more than its packed
// stream yields costs no more than what it yields.
bool Decode(const FilterChain& chain, std::span<const std::uint8_t> packed, std::uint64_t size,
            std::vector<std::uint8_t>& data) {
  data.clear();
  if (chain.count == 0) {
    if (packed.size() < size) return false;
    data.assign(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(size));
    return true;
  }
  DecoderStream decoder;
  lzma_stream& stream = decoder.stream;
  if (lzma_raw_decoder(&stream, chain.filters) != LZMA_OK) return false;
  stream.next_in = packed.data();
  stream.avail_in = packed.size();
  constexpr std::size_t kFirstPiece = 64 << 10;
  while (data.size() < size) {
    const std::size_t had = data.size();
    const std::size_t piece =
        static_cast<std::size_t>(std::min<std::uint64_t>(size - had, std::max(had, kFirstPiece)));
    data.resize(had + piece);
    stream.next_out = data.data() + had;
    stream.avail_out = piece;
    const lzma_ret result = lzma_code(&stream, LZMA_FINISH);
    data.resize(had + piece - stream.avail_out);
    if (result == LZMA_STREAM_END) break;
    if (result != LZMA_OK || data.size() == had) return false;
  }
  return data.size() == size;
}

// The header that the streams info of an encoded header describes: one
// folder reading one packed stream, which is read from the file and decoded.
bool DecodeHeader(ByteSource& file, std::uint64_t base, std::uint64_t fileSize,
                  const StreamsInfo& info, std::vector<std::uint8_t>& header) {
  if (info.folders.size() != 1 || info.packCount < 1) return false;
  const Folder& folder = info.folders[0];
  const std::uint64_t packedSize = info.firstPackSize;
  if (info.firstFolderPacked != 1 || folder.size > kLargestHeader || packedSize > kLargestHeader ||
      info.packPosition > fileSize - base || packedSize > fileSize - base - info.packPosition)
    return false;
  const auto layout = std::make_unique<FolderLayout>();
  ByteReader record(info.firstFolder);
  FilterChain chain;
  if (!ReadFolder(record, *layout) || !BuildChain(*layout, folder.size, chain)) return false;
  std::vector<std::uint8_t> packed(static_cast<std::size_t>(packedSize));
  if (!SkipTo(file, base + info.packPosition) ||
      file.Read(packed.data(), packed.size()) != packed.size())
    return false;
  if (!Decode(chain, packed, folder.size, header)) return false;
  return !folder.hasCrc || lzma_crc32(header.data(), header.size(), 0) == folder.crc;
}

// ---- Files -----------------------------------------------------------------

// A column of values of a fixed width for the files that have one (times,
// attributes): which files do, then their values in order.
struct ValueColumn {
  BitRow defined;
  ByteReader values{nullptr, 0};
  bool present = false;
};

ValueColumn ReadValueColumn(std::span<const std::uint8_t> property, std::size_t files) {
  ByteReader in(property);
  ValueColumn column;
  column.defined = ReadDefined(in, files);
  // Values kept in another stream: no archiver writes them, and the files
  // are listed without.
  if (in.U8() != 0 || !in.ok()) return column;
  column.values = ByteReader(property.subspan(in.offset()));
  column.present = true;
  return column;
}

// The sizes of the files' streams, in order: each folder's data split into
// its streams, the last taking what the others leave.
class StreamSizes {
 public:
  explicit StreamSizes(const StreamsInfo& info)
      : folders_(info.folders), sizes_(info.streamSizes) {}
  // The next stream's size, and where it starts in its folder's data.
  bool Next(std::uint64_t& size, std::uint64_t& offset) {
    while (folder_ < folders_.size() && inFolder_ == folders_[folder_].streams) {
      ++folder_;
      inFolder_ = 0;
      used_ = 0;
    }
    if (folder_ == folders_.size()) return false;
    const Folder& folder = folders_[folder_];
    offset = used_;
    if (++inFolder_ < folder.streams) {
      size = ReadNumber(sizes_);
      if (!sizes_.ok() || size > folder.size - used_) return false;
      used_ += size;
    } else {
      size = folder.size - used_;
    }
    return true;
  }
  // The folder of the stream Next gave last.
  const Folder& folder() const { return folders_[folder_]; }

 private:
  std::span<const Folder> folders_;
  ByteReader sizes_;
  std::size_t folder_ = 0;
  std::uint64_t inFolder_ = 0, used_ = 0;
};

// Room for a name as it is collected and matched: some 260 KiB, made once
// per archive and left unset.
struct SevenZipRoom {
  char16_t path[kMemberNameUnits + 2];  // under /W; one unit more tells a path too long
  MemberNameRoom names;
};

class FilesWalk {
 public:
  // `base`: where in `file` the signature header ends, which the packed
  // streams' positions count from.
  FilesWalk(ByteSource& file, std::uint64_t base, const MemberReading& reading, SevenZipRoom& room)
      : file_(file),
        base_(base),
        reading_(reading),
        listing_(reading.listing),
        options_(reading.listing.options()),
        toLocal_(reading.toLocal),
        room_(room) {}

  // Lists the files of the files info in `in`, their streams in `streams`.
  void List(ByteReader& in, const StreamsInfo& streams);

 private:
  bool Show(std::span<const std::uint8_t> name, std::uint64_t size, std::uint64_t fileTime,
            std::uint32_t attributes);
  // The file's name as listed, when it matches `pattern`; a name too long to
  // list matches nothing.
  bool ListedName(const SearchPattern& pattern, std::span<const std::uint8_t> name,
                  std::string_view& listed);
  // With /M, lists the archive that the file `name` holds in a stored
  // folder, its `size` bytes at `offset` of the packed streams. False when
  // the listing has to end.
  bool OpenStored(std::span<const std::uint8_t> name, std::uint64_t packPosition,
                  std::uint64_t offset, std::uint64_t size);

  ByteSource& file_;
  std::uint64_t base_;
  const MemberReading& reading_;
  MemberList& listing_;
  const SearchOptions& options_;
  LocalTimeConverter toLocal_;
  SevenZipRoom& room_;
};

// Filters, matches and lists one file, `name` its UTF-16LE units. A name too
// long to list passes the file over. False when the listing has to end.
bool FilesWalk::Show(std::span<const std::uint8_t> name, std::uint64_t size, std::uint64_t fileTime,
                     std::uint32_t attributes) {
  // The stamp is UTC; the criteria and the long line use local time, a
  // moment the packed form cannot hold taken as the nearest end of its
  // range, as for a file of a directory.
  CalendarTime clock;
  DosDateTime packed;
  if (options_.dateMode != RangeMode::None || options_.timeMode != RangeMode::None ||
      options_.form != 0) {
    const std::int64_t stamp = SecondsFromFileTime(fileTime);
    if (!toLocal_ || !toLocal_(stamp, &clock)) clock = UtcDateTime(stamp);
    clock = NearestDosMoment(clock);
    packed = MemberDosDateTime(clock);
  }
  if (!MemberPassesFilters(options_, packed.date, packed.time, size, attributes)) return true;
  std::string_view listed;
  return !ListedName(listing_.pattern(), name, listed) ||
         listing_.List({listed, clock, size, attributes});
}

bool FilesWalk::ListedName(const SearchPattern& pattern, std::span<const std::uint8_t> name,
                           std::string_view& listed) {
  const std::size_t units = name.size() / 2;
  const auto unitAt = [&](std::size_t i) {
    return static_cast<char16_t>(name[2 * i] | name[2 * i + 1] << 8);
  };
  // Matched by the part behind the last separator, "/" or "\".
  std::size_t part = units;
  while (part > 0 && unitAt(part - 1) != u'/' && unitAt(part - 1) != u'\\') --part;
  if (units - part > kMemberNameUnits) return false;
  MemberNameRoom& names = room_.names;
  for (std::size_t i = part; i < units; ++i) names.wide[i - part] = unitAt(i);
  names.wide[units - part] = 0;
  if (!MatchWideName(pattern, names.wide, names, listed)) return false;
  if (!options_.wholeMemberPaths) return true;
  MemberPath<char16_t> path(room_.path, u'/');
  for (std::size_t i = 0; i < units; ++i) path.Add(unitAt(i));
  return path.fits() && ListWidePath(path.c_str(), names, listed);
}

bool FilesWalk::OpenStored(std::span<const std::uint8_t> name, std::uint64_t packPosition,
                           std::uint64_t offset, std::uint64_t size) {
  std::uint64_t at = base_;
  for (std::uint64_t step : {packPosition, offset})
    if (__builtin_add_overflow(at, step, &at)) return true;
  std::string_view listed;
  return !ListedName(EveryMemberName(), name, listed) ||
         ListInnerArchive(file_, reading_, listed, at, size);
}

// Files info: the number of files, then properties, each an id, its size and
// its bytes, up to kEnd:
//   kEmptyStream  a bit per file: no data (an empty file, a folder)
//   kEmptyFile    a bit per file without data: an empty file, not a folder
//   kAnti         a bit per file without data: a deletion, not a file
//   kName         0 (kept here), then a UTF-16LE name per file, each ended by 0
//   kMTime        the "defined" bits, 0 (kept here), a FILETIME per file that has one
//   kWinAttributes the same with 4-byte attributes
// Other properties (other times, padding) are passed over.
void FilesWalk::List(ByteReader& in, const StreamsInfo& streams) {
  const std::size_t files = ReadCount(in);
  BitRow emptyStream, emptyFile, anti;
  std::span<const std::uint8_t> names;
  ValueColumn times, attributes;
  std::size_t emptyCount = 0;
  for (;;) {
    const std::uint64_t id = ReadNumber(in);
    if (!in.ok()) return;
    if (id == kEnd) break;
    const std::uint64_t size = ReadNumber(in);
    if (size > in.remaining()) return;
    const auto property = in.Bytes(static_cast<std::size_t>(size));
    ByteReader bits(property);
    switch (id) {
      case kEmptyStream:
        emptyStream = ReadBits(bits, files);
        emptyCount = CountSet(emptyStream, files);
        break;
      case kEmptyFile:
        emptyFile = ReadBits(bits, emptyCount);
        break;
      case kAnti:
        anti = ReadBits(bits, emptyCount);
        break;
      case kName:
        if (property.empty() || property[0] != 0) return;
        names = property.subspan(1);
        break;
      case kMTime:
        times = ReadValueColumn(property, files);
        break;
      case kWinAttributes:
        attributes = ReadValueColumn(property, files);
        break;
      default:
        break;
    }
    if (!bits.ok()) return;
  }
  ByteReader nameCursor(names);
  StreamSizes sizes(streams);
  std::size_t empties = 0;
  for (std::size_t i = 0; i < files; ++i) {
    const std::size_t nameStart = nameCursor.offset();
    while (nameCursor.U16() != 0) {
    }
    if (!nameCursor.ok()) return;
    const auto name = names.subspan(nameStart, nameCursor.offset() - nameStart - 2);
    bool folder = false, deleted = false;
    std::uint64_t size = 0, offset = 0;
    if (emptyStream.Get(i)) {
      folder = !emptyFile.Get(empties);
      deleted = anti.Get(empties);
      ++empties;
    } else if (!sizes.Next(size, offset)) {
      return;
    }
    std::uint64_t fileTime = 0;
    if (times.present && times.defined.Get(i)) {
      const std::uint64_t low = times.values.U32();
      fileTime = low | std::uint64_t{times.values.U32()} << 32;
      if (!times.values.ok()) return;
    }
    std::uint32_t attribute = 0;
    if (attributes.present && attributes.defined.Get(i)) {
      attribute = attributes.values.U32();
      if (!attributes.values.ok()) return;
    }
    if (folder || deleted || (attribute & kAttributeDirectory)) continue;
    if (!Show(name, size, fileTime, attribute & kListedAttributes)) return;
    if (!emptyStream.Get(i) && listing_.OpensInner()) {
      const Folder& folder = sizes.folder();
      if (folder.storedAt != kNotStored && offset <= kNotStored - folder.storedAt &&
          !OpenStored(name, streams.packPosition, folder.storedAt + offset, size))
        return;
    }
  }
}

// Header: kHeader, then, each optional, the archive properties (passed
// over), the additional streams info (passed over), the main streams info,
// the files info; then kEnd.
void ListHeader(ByteReader& in, std::span<const std::uint8_t> header, FilesWalk& walk) {
  std::uint64_t id = ReadNumber(in);
  if (id == kArchiveProperties) {
    for (;;) {
      if (ReadNumber(in) == kEnd || !in.ok()) break;
      const std::uint64_t size = ReadNumber(in);
      if (size > in.remaining()) return;
      in.Skip(static_cast<std::size_t>(size));
    }
    id = ReadNumber(in);
  }
  if (id == kAdditionalStreamsInfo) {
    StreamsInfo additional;
    if (!ReadStreamsInfo(in, header, additional)) return;
    id = ReadNumber(in);
  }
  StreamsInfo streams;
  if (id == kMainStreamsInfo) {
    if (!ReadStreamsInfo(in, header, streams)) return;
    id = ReadNumber(in);
  }
  if (id == kFilesInfo && in.ok()) walk.List(in, streams);
}

}  // namespace

bool IsSevenZipSignatureHeader(std::span<const std::uint8_t> header) {
  if (header.size() < kSignatureHeaderSize ||
      !std::equal(std::begin(kSignature), std::end(kSignature), header.begin()) ||
      header[kMajorVersion] != 0)
    return false;
  ByteReader record(header);
  return lzma_crc32(header.data() + kStartHeaderFrom, kSignatureHeaderSize - kStartHeaderFrom, 0) ==
         record.U32At(kStartHeaderCrc);
}

void ListSevenZipMembers(ByteSource& file, std::span<const std::uint8_t> firstHeader,
                         const MemberReading& reading) {
  static_assert(kSevenZipSignatureHeaderSize == kSignatureHeaderSize);
  if (firstHeader.size() != kSignatureHeaderSize) return;
  ByteReader signature(firstHeader);
  // Offsets count from the end of the signature header, wherever a stub in
  // front has put it.
  const std::uint64_t base = file.Position();
  const std::uint64_t offset = U64At(signature, kNextHeaderOffset);
  const std::uint64_t size = U64At(signature, kNextHeaderSize);
  const std::uint32_t crc = signature.U32At(kNextHeaderCrc);
  std::uint64_t fileSize = 0;
  if (!file.Size(fileSize) || base > fileSize || size == 0 || size > kLargestHeader ||
      offset > fileSize - base || size > fileSize - base - offset || !SkipTo(file, base + offset))
    return;
  std::vector<std::uint8_t> header(static_cast<std::size_t>(size));
  if (file.Read(header.data(), header.size()) != header.size() ||
      lzma_crc32(header.data(), header.size(), 0) != crc)
    return;
  const auto room = std::make_unique_for_overwrite<SevenZipRoom>();
  FilesWalk walk(file, base, reading, *room);
  for (int depth = 0; depth <= kMostEncodings; ++depth) {
    ByteReader in(header);
    const std::uint64_t id = ReadNumber(in);
    if (id == kHeader) return ListHeader(in, header, walk);
    StreamsInfo info;
    std::vector<std::uint8_t> decoded;
    if (id != kEncodedHeader || !ReadStreamsInfo(in, header, info) ||
        !DecodeHeader(file, base, fileSize, info, decoded))
      return;
    header.swap(decoded);
  }
}
