// Finding the message table in an executable and rewriting its slots, on a
// small PE image holding the two string blocks exactly as TLVC ships them.
#include "configurator/string_table_patch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/text_writer.h"
#include "configurator/configuration_patcher.h"
#include "configurator/file_version.h"
#include "tests/unit/string_table_image.h"

namespace {

using namespace string_table_image;

// Texts of ids 1, 3, ... 25, and the spacer lengths completing each slot.
void ExpectTexts(const std::vector<std::uint8_t>& image, const std::u16string (&texts)[13]) {
  auto loaded = LoadAll(image);
  ASSERT_EQ(loaded.size(), 32u);
  EXPECT_EQ(loaded[0], u"");
  for (int slot = 0; slot < 13; ++slot) {
    EXPECT_EQ(loaded[1 + 2 * slot], texts[slot]) << "id " << 1 + 2 * slot;
    EXPECT_EQ(loaded[2 + 2 * slot].size(), 80 - texts[slot].size()) << "spacer " << 2 + 2 * slot;
  }
  for (int id = 27; id < 32; ++id) EXPECT_EQ(loaded[id], u"");
}

TEST(FindStringTable, FindsBothBlocksOfTheShippedTable) {
  auto image = ShippedImage();
  auto table = FindStringTable(image);
  ASSERT_TRUE(table);
  EXPECT_EQ(table->first.dataOffset, kRsrc + kBlocks);
  EXPECT_EQ(table->first.size, 1212u);
  EXPECT_EQ(table->first.entryOffset, kRsrc + kData1);
  EXPECT_EQ(table->second.dataOffset, kRsrc + kBlocks + 1212);
  EXPECT_EQ(table->second.entryOffset, kRsrc + kData2);
  EXPECT_EQ(table->End(), kRsrc + kBlocks + 2144);
  ExpectTexts(image, kTexts);
}

TEST(FindStringTable, RefusesWhatIsNoUsableMessageTable) {
  using Damage = std::function<void(std::vector<std::uint8_t>&)>;
  const std::pair<const char*, Damage> cases[] = {
      {"no MZ", [](auto& b) { b[1] = 'X'; }},
      {"relocation table below 0x40", [](auto& b) { Put16(b, 24, 0x3F); }},
      {"PE header beyond the file", [](auto& b) { Put32(b, 60, 0xFFFFFFF0u); }},
      {"no PE signature", [](auto& b) { b[kPe + 1] = 'X'; }},
      {"section table beyond the file",
       [](auto& b) {
         Put16(b, kPe + 6, 0xFFFF);
         Put16(b, kPe + 20, 0xFFFF);
       }},
      {"no .rsrc section", [](auto& b) { b[kSectionHeader + 5] = 'x'; }},
      {".rsrc raw data beyond the file",
       [](auto& b) { Put32(b, kSectionHeader + 20, 0x7FFFFFF0u); }},
      {"root directory with too many entries", [](auto& b) { Put16(b, kRsrc + 14, 0xFFFF); }},
      {"no string type", [](auto& b) { Put32(b, kRsrc + 16, 5); }},
      {"string type not a directory", [](auto& b) { Put32(b, kRsrc + 20, kTypeDir); }},
      {"first block is not block 1", [](auto& b) { Put32(b, kRsrc + kTypeDir + 16, 3); }},
      {"only one block", [](auto& b) { Put16(b, kRsrc + kTypeDir + 14, 1); }},
      {"language directory loops",
       [](auto& b) { Put32(b, kRsrc + kLangDir1 + 20, 0x80000000u | kLangDir1); }},
      {"empty language directory", [](auto& b) { Put16(b, kRsrc + kLangDir2 + 14, 0); }},
      {"data address below the section", [](auto& b) { Put32(b, kRsrc + kData1, 0x100); }},
      {"data size beyond the section", [](auto& b) { Put32(b, kRsrc + kData2 + 4, 0x7FFFFFFF); }},
      {"gap between the blocks",
       [](auto& b) { Put32(b, kRsrc + kData2, kRsrcAddress + kBlocks + 1216); }},
      {"blocks too small for the slots", [](auto& b) { Put32(b, kRsrc + kData2 + 4, 900); }},
      {"id 0 not empty", [](auto& b) { Put16(b, kRsrc + kBlocks, 1); }},
      {"slot of 81 code units", [](auto& b) { Put16(b, kRsrc + kBlocks + 2, 9); }},
  };
  for (const auto& [name, damage] : cases) {
    auto image = ShippedImage();
    damage(image);
    EXPECT_FALSE(FindStringTable(image)) << name;
  }
}

TEST(FindStringTable, StaysInsideEveryCutImage) {
  auto image = ShippedImage();
  std::size_t tableEnd = kRsrc + kBlocks + 2144;
  for (std::size_t size = 0; size <= image.size(); ++size) {
    std::vector<std::uint8_t> cut(image.begin(), image.begin() + size);
    EXPECT_EQ(FindStringTable(cut).has_value(), size >= tableEnd) << size;
    EXPECT_EQ(FileVersionOf(cut).has_value(), size >= kRsrc + kVersion + kVersionSize) << size;
    ResourceMiss miss;
    for (unsigned id = 0; id < 32; ++id) LoadResourceString(cut, id, miss);
  }
}

// The version and the texts as the system's version query and string
// loader find them, on the shipped image and on damaged copies of it.
TEST(ResourceReading, FindsTheVersionAndTheTextsAsTheSystemDoes) {
  auto image = ShippedImage();
  ResourceMiss miss{};
  for (unsigned id : {0u, 27u, 32u}) {  // empty, empty, in no block
    EXPECT_FALSE(LoadResourceString(image, id, miss)) << id;
    EXPECT_EQ(miss, ResourceMiss::kNoName) << id;
  }
  using Damage = std::function<void(std::vector<std::uint8_t>&)>;
  auto versionSize = [](std::uint32_t size) -> Damage {
    return [size](auto& b) { Put32(b, kRsrc + kVersionData + 4, size); };
  };
  const std::optional<std::uint32_t> none, shipped = 0x00010000u;
  const std::optional<ResourceMiss> found, noName = ResourceMiss::kNoName;
  const struct {
    const char* name;
    Damage damage;
    std::optional<std::uint32_t> version;
    std::optional<ResourceMiss> id17Miss;
  } cases[] = {
      {"as shipped", [](auto&) {}, shipped, found},
      {"no MZ", [](auto& b) { b[1] = 'X'; }, none, ResourceMiss::kNoResources},
      {"no version type", [](auto& b) { Put32(b, kRsrc + 24, 17); }, none, found},
      {"version not id 1", [](auto& b) { Put32(b, kRsrc + kVersionDir + 16, 2); }, none, found},
      {"version beyond the section", versionSize(0x7FFFFFFF), none, found},
      {"fixed part past the resource", versionSize(91), 0, found},
      {"key past the resource", versionSize(36), 0, found},
      {"value too short", [](auto& b) { Put16(b, kRsrc + kVersion + 2, 51); }, 0, found},
      {"no string type", [](auto& b) { Put32(b, kRsrc + 16, 5); }, shipped, ResourceMiss::kNoType},
      {"no block 2", [](auto& b) { Put32(b, kRsrc + kTypeDir + 24, 3); }, shipped, noName},
      {"id 17 past block 2", [](auto& b) { Put32(b, kRsrc + kData2 + 4, 120); }, shipped, noName},
  };
  for (const auto& [name, damage, version, id17Miss] : cases) {
    damage(image = ShippedImage());
    EXPECT_EQ(FileVersionOf(image), version) << name;
    auto text = LoadResourceString(image, 17, miss);
    EXPECT_EQ(text ? std::nullopt : std::optional(miss), id17Miss) << name;
    EXPECT_EQ(text.value_or(u"Cannot find files..."), u"Cannot find files...") << name;
  }
}

TEST(WriteMessageText, EverySlotLoadsWhatWasLastWritten) {
  auto image = ShippedImage();
  auto table = *FindStringTable(image);
  std::u16string texts[13];
  std::copy(std::begin(kTexts), std::end(kTexts), texts);
  const std::pair<unsigned, std::u16string> edits[] = {
      {19, u"Wait a bit"},
      {15, u"\n$C10 found, $S19 bytes in all, and a much longer text too"},
      {1, u"/O"},
      {17, u""},
      {15, u"short"},
      {25, std::u16string(79, u'z')},
      {15, u""},
      {13, u"終わり"},
      {15, std::u16string(79, u'f')},
      {3, u"見つかった"},
      {15, u"\n$C10 files  $S19 bytes found!"},
  };
  for (const auto& [id, text] : edits) {
    ASSERT_EQ(WriteMessageText(image, table, id, text), PatchResult::kWritten) << id;
    texts[(id - 1) / 2] = text;
    ExpectTexts(image, texts);
    EXPECT_EQ(FindStringTable(image).has_value(), true);
  }
  // Back to the shipped length of id 15: back to the shipped directory; the
  // spacers keep whatever characters the edits left in them.
  auto shipped = ShippedImage();
  std::size_t tableBegin = kRsrc + kBlocks, tableEnd = tableBegin + 2144;
  EXPECT_TRUE(std::equal(image.begin(), image.begin() + tableBegin, shipped.begin()));
  EXPECT_TRUE(std::equal(image.begin() + tableEnd, image.end(), shipped.begin() + tableEnd));
}

TEST(WriteMessageText, TouchesOnlyTheSlotAndKeepsTheSpacersCharacters) {
  auto image = ShippedImage();
  auto table = *FindStringTable(image);
  ASSERT_EQ(WriteMessageText(image, table, 19, u"Nine char"), PatchResult::kWritten);
  auto shipped = ShippedImage();
  std::size_t slot = kRsrc + kBlocks + 2 + 9 * 164;  // id 19's length word
  for (std::size_t i = 0; i < image.size(); ++i) {
    if (i < slot || i >= slot + 2 + 18 + 2) {
      EXPECT_EQ(image[i], shipped[i]) << i;
    }
  }
  EXPECT_EQ(image[slot], 9);
  EXPECT_EQ(image[slot + 2 + 18], 71);
}

TEST(WriteMessageText, RefusesWhatDoesNotFitItsSlotWithoutWriting) {
  auto image = ShippedImage();
  auto table = *FindStringTable(image);
  EXPECT_EQ(WriteMessageText(image, table, 19, std::u16string(80, u'x')), PatchResult::kTooLong);
  for (unsigned id : {0u, 2u, 16u, 26u, 27u, 31u, 65535u}) {
    EXPECT_EQ(WriteMessageText(image, table, id, u"x"), PatchResult::kOutOfRange) << id;
  }
  EXPECT_EQ(image, ShippedImage());
}

// Bytes as code units, as code page 1252 does for ASCII; what it lacks
// becomes "?".
class ByteConverter final : public AnsiConverter {
 public:
  bool ToUtf16(std::string_view ansi, std::u16string& wide) override {
    wide.assign(ansi.begin(), ansi.end());
    return true;
  }
  std::string FromUtf16(std::u16string_view wide) override {
    std::string ansi;
    for (char16_t unit : wide) ansi.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
    return ansi;
  }
};

bool Append(void* context, const char* data, std::size_t size) {
  static_cast<std::string*>(context)->append(data, size);
  return true;
}

TEST(ConfigurationPatcher, WritesAcceptedLinesAndNamesTheKeyOfARefusedOne) {
  auto image = ShippedImage();
  auto table = *FindStringTable(image);
  ByteConverter converter;
  std::string messages;
  TextWriter errors(Append, &messages, false);
  ConfigurationPatcher patcher(image, table, converter, errors);
  const std::string lines[] = {
      ";Configuration File Version 1.00",
      "EnglishPause=\"Press a key\"",
      "EnglishQuery=\"" + std::string(80, 'q') + "\"",
      "EnglishFound=\"$N$C10 found $S19\"",
      "DefaultOption=\"/Q\"",
      "EnglishFinish=\"" + std::string(79, 'd') + "\"",
      "EnglishPause=\"Later line wins\"",
      // What mode R exports for texts this code page cannot hold keeps them.
      "JananeseFound=\"$N$C10 ? $SB19 ?????????????????\"",
      "JapanesePause=\"?????????...\"",
  };
  WriteMessageText(image, table, 23, u"say \"hi\"");  // a quote inside survives as well
  for (const std::string& line : lines) patcher.ApplyLine(line);
  patcher.ApplyLine("EnglishWait=\"say \"hi\"\"");
  errors.Flush();
  EXPECT_EQ(messages,
            "EnglishQuery is longer than 79 characters.\n"
            "Invalid option character. : Q\n");
  std::u16string texts[13];
  std::copy(std::begin(kTexts), std::end(kTexts), texts);
  texts[9] = u"Later line wins";
  texts[7] = u"\n$C10 found $S19";
  texts[12] = std::u16string(79, u'd');
  texts[11] = u"say \"hi\"";
  ExpectTexts(image, texts);
}

}  // namespace
