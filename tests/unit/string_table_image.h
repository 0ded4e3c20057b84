// A small PE image holding TLVC's message table as shipped and a version
// resource: one ".rsrc" section mapped at 0x3000, file offset 0x400, with the
// two string blocks and, behind them, the version's root block.
// Shared by the unit tests and the fuzz target of the table walk.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace string_table_image {

// Where the image puts things (file offsets; the section starts at 0x400 and
// is mapped at 0x3000).
constexpr std::size_t kPe = 0x80;
constexpr std::size_t kSectionHeader = kPe + 24 + 0xF0;
constexpr std::size_t kRsrc = 0x400;
constexpr std::uint32_t kRsrcAddress = 0x3000;
constexpr std::size_t kTypeDir = 0x20, kLangDir1 = 0x40, kLangDir2 = 0x58;
constexpr std::size_t kData1 = 0x70, kData2 = 0x80, kBlocks = 0x100;
constexpr std::size_t kVersionDir = 0x90, kVersionLangDir = 0xA8, kVersionData = 0xC0;
constexpr std::size_t kVersion = kBlocks + 2144, kVersionSize = 92;  // 1.0, build 15
constexpr std::size_t kFileVersion = kVersion + 40 + 8;
constexpr std::size_t kRawSize = 0xA00;

inline const std::u16string kTexts[13] = {
    u"/J /O /U",
    u"\n$C10 個 $SB19 バイトのファイルがみつかりました！",
    u"ファイルがみつかりませんでした...",
    u"何かキーを押してね...",
    u"Enter:実行  スペース:次のファイル  ESC:中止",
    u"ちょっとまっててね...",
    u"はい、おまたせ.",
    u"\n$C10 files  $S19 bytes found!",
    u"Cannot find files...",
    u"Press any key to continue...",
    u"Enter:Execute    Space:Skip    ESC:Cancel",
    u"Please wait a moment...",
    u"Finished.",
};

inline void Put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  b[at] = v & 0xFF;
  b[at + 1] = (v >> 8) & 0xFF;
}
inline void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}
inline std::uint32_t Get32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

inline void PutDirectory(std::vector<std::uint8_t>& b, std::size_t at,
                         std::vector<std::pair<std::uint32_t, std::uint32_t>> entries) {
  Put16(b, kRsrc + at + 14, static_cast<std::uint32_t>(entries.size()));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    Put32(b, kRsrc + at + 16 + 8 * i, entries[i].first);
    Put32(b, kRsrc + at + 20 + 8 * i, entries[i].second);
  }
}

inline std::vector<std::uint8_t> ShippedImage() {
  std::vector<std::uint8_t> b(kRsrc + kRawSize, 0);
  b[0] = 'M', b[1] = 'Z';
  Put16(b, 24, 0x40);
  Put32(b, 60, kPe);
  Put32(b, kPe, 0x4550);
  Put16(b, kPe + 6, 1);
  Put16(b, kPe + 20, 0xF0);
  std::memcpy(&b[kSectionHeader], ".rsrc", 5);
  Put32(b, kSectionHeader + 8, kRawSize);
  Put32(b, kSectionHeader + 12, kRsrcAddress);
  Put32(b, kSectionHeader + 16, kRawSize);
  Put32(b, kSectionHeader + 20, kRsrc);
  PutDirectory(b, 0, {{6, 0x80000000u | kTypeDir}, {16, 0x80000000u | kVersionDir}});
  PutDirectory(b, kTypeDir, {{1, 0x80000000u | kLangDir1}, {2, 0x80000000u | kLangDir2}});
  PutDirectory(b, kLangDir1, {{1041, kData1}});
  PutDirectory(b, kLangDir2, {{1041, kData2}});
  Put32(b, kRsrc + kData1, kRsrcAddress + kBlocks);
  Put32(b, kRsrc + kData1 + 4, 1212);
  Put32(b, kRsrc + kData2, kRsrcAddress + kBlocks + 1212);
  Put32(b, kRsrc + kData2 + 4, 932);
  PutDirectory(b, kVersionDir, {{1, 0x80000000u | kVersionLangDir}});
  PutDirectory(b, kVersionLangDir, {{1041, kVersionData}});
  Put32(b, kRsrc + kVersionData, kRsrcAddress + kVersion);
  Put32(b, kRsrc + kVersionData + 4, kVersionSize);
  Put16(b, kRsrc + kVersion, kVersionSize);
  Put16(b, kRsrc + kVersion + 2, 52);
  const std::u16string key = u"VS_VERSION_INFO";
  for (std::size_t i = 0; i < key.size(); ++i) Put16(b, kRsrc + kVersion + 6 + 2 * i, key[i]);
  Put32(b, kRsrc + kFileVersion - 8, 0xFEEF04BDu);
  Put32(b, kRsrc + kFileVersion, 0x00010000u);
  Put32(b, kRsrc + kFileVersion + 4, 15);
  std::size_t at = kRsrc + kBlocks + 2;  // id 0 is empty
  for (const std::u16string& text : kTexts) {
    Put16(b, at, text.size());
    for (char16_t c : text) Put16(b, at += 2, c);
    Put16(b, at += 2, 80 - text.size());
    for (std::size_t i = text.size(); i < 80; ++i) Put16(b, at += 2, u' ');
    at += 2;
  }
  return b;
}

// What the system's string loader gives for every id 0-31: each block found
// through its data entry, its 16 counted strings read inside its size.
// Empty when a block is malformed.
inline std::vector<std::u16string> LoadAll(const std::vector<std::uint8_t>& b) {
  std::vector<std::u16string> strings;
  for (std::size_t entry : {kData1, kData2}) {
    std::size_t at = kRsrc + Get32(b, kRsrc + entry) - kRsrcAddress;
    std::size_t end = at + Get32(b, kRsrc + entry + 4);
    for (int i = 0; i < 16; ++i) {
      if (at + 2 > end) return {};
      std::size_t length = b[at] | b[at + 1] << 8;
      if (at + 2 + 2 * length > end) return {};
      std::u16string text;
      for (std::size_t k = 0; k < length; ++k)
        text += char16_t(b[at + 2 + 2 * k] | b[at + 3 + 2 * k] << 8);
      strings.push_back(text);
      at += 2 + 2 * length;
    }
    if (at != end) return {};
  }
  return strings;
}

}  // namespace string_table_image
