// Random sequences of message edits on a copy of the built TLVC.EXE. After
// every edit the file keeps its size, no byte changes outside the string data
// and the two blocks' data entries, and every id loads the text last written
// for it through a loader of the test's own that follows the resource
// directory the way the system's loader does (the data directory of the PE
// header, not the section's name; type, block, first language, data entry).
//
// TLVC_EXE names the executable (default ../win/TLVC.EXE from build/native,
// where ctest runs); TLVC_PROPERTY_EDITS the number of edits (default 300,
// the long run uses 10000 and more); TLVC_PROPERTY_SEED the first seed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "common/message_table.h"
#include "configurator/string_table_patch.h"

namespace {

using Image = std::vector<std::uint8_t>;

std::uint32_t Read(const Image& image, std::size_t at, int bytes) {
  if (at > image.size() || image.size() - at < static_cast<std::size_t>(bytes)) return 0;
  std::uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | image[at + i];
  return value;
}

// File offset of an image address, through the section table.
std::optional<std::size_t> FileOffset(const Image& image, std::uint32_t address) {
  std::size_t pe = Read(image, 60, 4);
  std::size_t sections = Read(image, pe + 6, 2);
  std::size_t table = pe + 24 + Read(image, pe + 20, 2);
  for (std::size_t i = 0; i < sections; ++i) {
    std::size_t header = table + 40 * i;
    std::uint32_t start = Read(image, header + 12, 4);
    std::uint32_t size = std::max(Read(image, header + 8, 4), Read(image, header + 16, 4));
    if (address >= start && address - start < size)
      return Read(image, header + 20, 4) + (address - start);
  }
  return std::nullopt;
}

// The entry of `id` in the resource directory at `directory` (an offset from
// the root); with `id` 0, the first id entry whatever it is.
std::optional<std::uint32_t> Lookup(const Image& image, std::size_t root, std::uint32_t directory,
                                    std::uint32_t id) {
  std::size_t at = root + directory;
  std::size_t named = Read(image, at + 12, 2), ids = Read(image, at + 14, 2);
  for (std::size_t i = named; i < named + ids; ++i) {
    std::size_t entry = at + 16 + 8 * i;
    if (id == 0 || Read(image, entry, 4) == id) return Read(image, entry + 4, 4);
  }
  return std::nullopt;
}

// What the system's string loader gives for `id`: nothing when a step of the
// walk fails or the string lies outside its block's data.
std::optional<std::u16string> LoadString(const Image& image, unsigned id) {
  std::size_t pe = Read(image, 60, 4);
  std::size_t optional = pe + 24;
  std::size_t directories = optional + (Read(image, optional, 2) == 0x20B ? 112 : 96);
  auto root = FileOffset(image, Read(image, directories + 2 * 8, 4));
  if (!root) return std::nullopt;
  auto type = Lookup(image, *root, 0, 6);
  if (!type || !(*type & 0x80000000u)) return std::nullopt;
  auto block = Lookup(image, *root, *type & 0x7FFFFFFFu, id / 16 + 1);
  if (!block || !(*block & 0x80000000u)) return std::nullopt;
  auto language = Lookup(image, *root, *block & 0x7FFFFFFFu, 0);
  if (!language || (*language & 0x80000000u)) return std::nullopt;
  std::size_t entry = *root + *language;
  auto data = FileOffset(image, Read(image, entry, 4));
  std::size_t size = Read(image, entry + 4, 4);
  if (!data || *data + size > image.size()) return std::nullopt;
  std::size_t at = *data, end = *data + size;
  for (unsigned i = 0; i < id % 16; ++i) {
    if (at + 2 > end) return std::nullopt;
    at += 2 + 2 * std::size_t{Read(image, at, 2)};
  }
  if (at + 2 > end) return std::nullopt;
  std::size_t length = Read(image, at, 2);
  if (at + 2 + 2 * length > end) return std::nullopt;
  std::u16string text;
  for (std::size_t i = 0; i < length; ++i)
    text.push_back(static_cast<char16_t>(Read(image, at + 2 + 2 * i, 2)));
  return text;
}

// Texts of every allowed length and some too long; ASCII (with the found
// codes and line feeds the messages use) or Japanese.
std::u16string RandomText(std::mt19937& random, bool japanese) {
  std::size_t length = std::uniform_int_distribution<std::size_t>(0, 82)(random);
  std::u16string text;
  while (text.size() < length) {
    unsigned pick = random() % 40;
    if (pick == 0) {
      text += u"$C10";
    } else if (pick == 1) {
      text += u"$SB19";
    } else if (pick == 2) {
      text += u'\n';
    } else if (japanese && pick < 25) {
      static constexpr char16_t kRanges[][2] = {
          {0x3041, 0x3093}, {0x30A1, 0x30F6}, {0x4E00, 0x9FA0}};
      const auto& range = kRanges[random() % 3];
      text += static_cast<char16_t>(range[0] + random() % (range[1] - range[0]));
    } else {
      text += static_cast<char16_t>(0x20 + random() % 0x5F);
    }
  }
  text.resize(length);
  return text;
}

std::string Describe(const std::optional<std::u16string>& text) {
  if (!text) return "(no string)";
  std::string out;
  for (char16_t unit : *text)
    out += unit < 0x80 ? std::string(1, static_cast<char>(unit)) : "\\u" + std::to_string(unit);
  return out;
}

TEST(MessageTableProperty, RandomEditsKeepTheFileAndLoadAsWritten) {
  const char* path = std::getenv("TLVC_EXE");
  std::ifstream file(path ? path : "../win/TLVC.EXE", std::ios::binary);
  if (!file) GTEST_SKIP() << "no built TLVC.EXE (set TLVC_EXE)";
  const Image shipped{std::istreambuf_iterator<char>(file), {}};
  const char* editsText = std::getenv("TLVC_PROPERTY_EDITS");
  const char* seedText = std::getenv("TLVC_PROPERTY_SEED");
  const long edits = editsText ? std::atol(editsText) : 300;
  const unsigned seed = seedText ? static_cast<unsigned>(std::atol(seedText)) : 20261208;

  auto table = FindStringTable(shipped);
  ASSERT_TRUE(table);
  const std::size_t entries[2] = {table->first.entryOffset, table->second.entryOffset};
  // The ranges that must never change: everything but the string data and
  // the two data entries' address and size.
  std::vector<std::pair<std::size_t, std::size_t>> writable = {
      {entries[0], entries[0] + 8}, {entries[1], entries[1] + 8}, {table->Begin(), table->End()}};
  std::sort(writable.begin(), writable.end());
  std::vector<std::pair<std::size_t, std::size_t>> unchanged;
  std::size_t from = 0;
  for (const auto& [begin, end] : writable) {
    if (begin > from) unchanged.emplace_back(from, begin);
    from = std::max(from, end);
  }
  unchanged.emplace_back(from, shipped.size());

  std::vector<std::u16string> expected(32);
  for (unsigned id = 0; id < 32; ++id) {
    auto text = LoadString(shipped, id);
    ASSERT_TRUE(text) << "id " << id;
    expected[id] = *text;
  }

  // Sequences of 50 edits, each from a fresh copy, so that a failure names
  // a short sequence to replay.
  Image image;
  std::mt19937 random;
  long done = 0, written = 0;
  for (unsigned sequence = seed; done < edits; ++sequence) {
    image = shipped;
    random.seed(sequence);
    auto location = *FindStringTable(image);
    std::vector<std::u16string> texts = expected;
    for (int step = 0; step < 50 && done < edits; ++step, ++done) {
      const msg::MessageSlot& slot = msg::kMessageSlots[random() % msg::kSlotCount];
      const bool japanese = slot.textId < msg::kEnglishFound || random() % 4 == 0;
      const std::u16string text = RandomText(random, japanese);
      PatchResult result = WriteMessageText(image, location, slot.textId, text);
      SCOPED_TRACE("sequence " + std::to_string(sequence) + " step " + std::to_string(step) +
                   " key " + std::string(slot.key) + " length " + std::to_string(text.size()));

      ASSERT_EQ(result,
                text.size() <= msg::kMaxTextUnits ? PatchResult::kWritten : PatchResult::kTooLong);
      if (result == PatchResult::kWritten) {
        texts[slot.textId] = text;
        ++written;
      }
      ASSERT_EQ(image.size(), shipped.size());
      // Outside the string data and the two data entries, every byte is as
      // shipped.
      for (const auto& [from, to] : unchanged)
        ASSERT_TRUE(std::equal(image.begin() + from, image.begin() + to, shipped.begin() + from))
            << "a byte from " << from << " to " << to << " changed";
      for (unsigned id = 0; id < 32; ++id) {
        auto loaded = LoadString(image, id);
        ASSERT_TRUE(loaded) << "id " << id;
        bool isText = id >= 1 && id <= 25 && id % 2 == 1;
        bool isSpacer = id >= 2 && id <= 26 && id % 2 == 0;
        if (isText)
          ASSERT_EQ(*loaded, texts[id]) << "id " << id << ": " << Describe(loaded);
        else if (isSpacer)
          ASSERT_EQ(loaded->size() + texts[id - 1].size(), msg::kSlotUnits) << "spacer " << id;
        else
          ASSERT_TRUE(loaded->empty()) << "id " << id;
      }
      // The configurator finds its table again where it was.
      auto again = FindStringTable(image);
      ASSERT_TRUE(again);
      ASSERT_EQ(again->first.entryOffset, entries[0]);
      ASSERT_EQ(again->second.entryOffset, entries[1]);
    }
  }
  RecordProperty("edits", std::to_string(done));
  RecordProperty("written", std::to_string(written));
  std::printf("[ property ] %ld edits (%ld written) from seed %u\n", done, written, seed);

  // The last image, for a run of the finder under Wine.
  if (const char* out = std::getenv("TLVC_PROPERTY_OUT")) {
    std::ofstream(out, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()),
               static_cast<std::streamsize>(image.size()));
  }
}

}  // namespace
