// Decoding of UTF-8 flagged Cabinet names.
#include "finder/archive/utf8_name.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string Decode(const char* source, std::size_t capacity = 260) {
  char16_t out[261];
  std::size_t n = DecodeUtf8Name(source, out, capacity);
  EXPECT_EQ(out[n], 0);
  return std::u16string(out, n);
}

TEST(DecodeUtf8Name, DecodesOneUnitPerLeadByte) {
  struct Row {
    const char* source;
    std::u16string expected;
  } rows[] = {
      {"", u""},
      {"README.TXT", u"README.TXT"},
      {"caf\xC3\xA9", u"caf\u00E9"},
      {"\xE3\x81\x82.txt", u"\u3042.txt"},
      {"\xDF\xBF", u"\u07FF"},
      // No check of continuation bytes, no four-byte forms: the arithmetic
      // of the three-byte form wraps to 16 bits.
      {"\xC3"
       "A",
       u"\u0081"},
      {"\x80"
       "AB",
       u"\uF002"},
      {"\xF0\x9F\x98\x80"
       "ab",
       u"\u07D8\uF822"},
  };
  for (const Row& row : rows) EXPECT_EQ(Decode(row.source), row.expected) << row.source;
}

TEST(DecodeUtf8Name, SequenceCutByTheTerminatorEndsTheName) {
  EXPECT_EQ(Decode("ab\xC3"), u"ab");
  EXPECT_EQ(Decode("ab\xE3\x81"), u"ab");
  EXPECT_EQ(Decode("ab\xE3"), u"ab");
}

TEST(DecodeUtf8Name, StopsAtCapacity) {
  std::string longName(300, 'x');
  EXPECT_EQ(Decode(longName.c_str()).size(), 260u);
  EXPECT_EQ(Decode("abcdef", 3), u"abc");
}

}  // namespace
