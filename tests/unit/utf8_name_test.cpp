// Decoding of member names stored in UTF-8.
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

struct Row {
  const char* source;
  std::u16string expected;
};

TEST(DecodeUtf8Name, WellFormedSequences) {
  const Row rows[] = {
      {"", u""},
      {"README.TXT", u"README.TXT"},
      {"caf\xC3\xA9", u"caf\u00E9"},
      {"\xE3\x81\x82.txt", u"\u3042.txt"},
      {"\xDF\xBF", u"\u07FF"},
      {"\xE0\xA0\x80\xEF\xBF\xBF", u"\u0800\uFFFF"},
      {"\xED\x9F\xBF", u"\uD7FF"},
      // Four-byte forms give a surrogate pair.
      {"\xF0\x9F\x98\x80.txt", u"\U0001F600.txt"},
      {"\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", u"\U00010000\U0010FFFF"},
  };
  for (const Row& row : rows) EXPECT_EQ(Decode(row.source), row.expected) << row.source;
}

// Each malformed piece is one U+FFFD, and the byte that broke a sequence is
// decoded afresh instead of being swallowed with it.
TEST(DecodeUtf8Name, MalformedSequencesGiveReplacementCharacters) {
  const Row rows[] = {
      {"\xC3"
       "A",
       u"\uFFFDA"},
      {"\x80"
       "AB",
       u"\uFFFDAB"},
      {"a\xBF\xBF"
       "b",
       u"a\uFFFD\uFFFDb"},
      {"\xC0\xAF\xC1\xBF", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // overlong lead bytes
      {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},            // overlong three-byte form
      {"\xF0\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // overlong four-byte form
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},            // an encoded surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
      {"\xF5\xFE\xFF", u"\uFFFD\uFFFD\uFFFD"},
      {"\xE3\x81"
       "A\xE3\x81\x82",
       u"\uFFFDA\u3042"},
      {"\xF0\x9F\x98"
       "x",
       u"\uFFFDx"},
      {"\xE3\xC3\xA9", u"\uFFFD\u00E9"},
      // Cut short by the terminator.
      {"ab\xC3", u"ab\uFFFD"},
      {"ab\xE3\x81", u"ab\uFFFD"},
      {"ab\xF0\x9F\x98", u"ab\uFFFD"},
  };
  for (const Row& row : rows) EXPECT_EQ(Decode(row.source), row.expected) << row.source;
}

TEST(DecodeUtf8Name, StopsAtCapacity) {
  std::string longName(300, 'x');
  EXPECT_EQ(Decode(longName.c_str()).size(), 260u);
  EXPECT_EQ(Decode("abcdef", 3), u"abc");
  // A surrogate pair is never split: with room for one unit the name ends.
  EXPECT_EQ(Decode("ab\xF0\x9F\x98\x80", 3), u"ab");
  EXPECT_EQ(Decode("ab\xF0\x9F\x98\x80", 4), u"ab\U0001F600");
  EXPECT_EQ(Decode("\xE3\x81\x82\xE3\x81\x82", 1), u"\u3042");
}

// Encoding back: what decoding gives comes out as the UTF-8 it came from, a
// lone surrogate as U+FFFD, and a character that does not fit is left out.
TEST(EncodeUtf8Name, RoundTripsAndBounds) {
  for (const char* text : {"", "caf\xC3\xA9", "\xE6\x97\xA5\xE6\x9C\xAC", "\xF0\x9F\x98\x80.txt",
                           "\xDF\xBF\xEF\xBF\xBF\xF4\x8F\xBF\xBF"}) {
    char out[64];
    std::u16string wide = Decode(text);
    EXPECT_EQ(std::string(out, EncodeUtf8Name(wide.c_str(), out, sizeof out)), text);
  }
  char out[16];
  EXPECT_EQ(std::string(out, EncodeUtf8Name(u"a\xD800"
                                            "b\xDC00",
                                            out, sizeof out)),
            "a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD");
  EXPECT_EQ(std::string(out, EncodeUtf8Name(u"ab\u00E9\u65E5", out, 5)), "ab\xC3\xA9");
}

}  // namespace
