// Bytes of a code page carried inside UTF-8 text, and where a flush may cut.
#include "common/inside_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool IsShiftJisLead(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::string Escape(std::string_view bytes, LeadByteTest isLeadByte = nullptr) {
  char out[64];
  std::size_t size = EscapeCodePageBytes(bytes, isLeadByte, out, sizeof out);
  return size == std::string_view::npos ? "<too long>" : std::string(out, size);
}

// The runs of `text`, escaped ones shown as their bytes in brackets.
std::string Runs(std::string_view text) {
  std::string out;
  for (std::size_t at = 0; at < text.size();) {
    bool escaped = false;
    std::size_t end = RunEnd(text, at, escaped);
    char bytes[64];
    out += escaped ? "[" + std::string(bytes, UnescapeRun(text.substr(at, end - at), bytes)) + "]"
                   : std::string(text.substr(at, end - at));
    at = end;
  }
  return out;
}

TEST(InsideText, CodePageBytesEscapeAndComeBackWhole) {
  EXPECT_EQ(Escape("plain.txt"), "plain.txt");
  EXPECT_EQ(Escape("caf\xE9"), "caf\xED\xB3\xA9");
  // The second byte of 表 (0x95 0x5C) is escaped with its first, 0x5C or not.
  const std::string table = Escape("a\x95\x5C.txt", IsShiftJisLead);
  EXPECT_EQ(table, "a\xED\xB2\x95\xED\xB1\x9C.txt");
  EXPECT_EQ(Runs(table), "a[\x95\x5C].txt");
  EXPECT_EQ(Escape(std::string(22, '\xE9')), "<too long>");
  // UTF-8 around escaped bytes stays as it is, and so does a lone ED.
  EXPECT_EQ(Runs("\xE6\x97\xA5" + Escape("\x93\xFA", IsShiftJisLead) + "\xED\x9F\xBF"),
            "\xE6\x97\xA5[\x93\xFA]\xED\x9F\xBF");
  EXPECT_FALSE(HoldsEscapedBytes("\xE6\x97\xA5\xED\x9F\xBF"));
  EXPECT_TRUE(HoldsEscapedBytes(table));
}

TEST(InsideText, Utf16UnitsOfUtf8) {
  const std::string text = "a\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80z";  // aé日😀z
  EXPECT_EQ(Utf16Units(text), 6u);
  const std::size_t ends[] = {0, 1, 3, 6, 6, 10, 11, 11};
  for (std::size_t units = 0; units < std::size(ends); ++units)
    EXPECT_EQ(BytesWithinUnits(text, units), ends[units]) << units;
}

TEST(InsideText, FlushesKeepTheEndOfACharacter) {
  const std::string pair = Escape("\x93\xFA", IsShiftJisLead);
  const struct {
    std::string text;
    LeadByteTest isLeadByte;
    std::size_t whole;
  } rows[] = {
      {"abc", nullptr, 3},
      {"ab\xE6\x97", nullptr, 2},
      {"ab\xE6\x97\xA5", nullptr, 5},
      {"ab\xF0\x9F\x98", nullptr, 2},
      {"ab\x97", nullptr, 3},  // a stray continuation byte waits for nothing
      {"a" + pair, IsShiftJisLead, 7},
      {"a" + pair.substr(0, 3), IsShiftJisLead, 1},
      {"a" + pair.substr(0, 3), nullptr, 4},
      {"a" + pair + pair.substr(0, 3), IsShiftJisLead, 7},
  };
  for (const auto& row : rows)
    EXPECT_EQ(WholeCharacters(row.text, row.isLeadByte), row.whole) << row.text;
}

}  // namespace
