// The member-name matcher: the documented examples, row by row, in both
// widths, and the patterns that would make a backtracking matcher explode.
#include "finder/archive/wildcard.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Row {
  const char* pattern;
  const char* name;
  bool matches;
};

const Row kRows[] = {
    {"", "", true},
    {"", "a", false},
    {"*", "", false},
    {"*", "a", true},
    {"*", "abc.def", true},
    {"README.TXT", "readme.txt", true},
    {"README.TXT", "ReadMe.Txt", true},
    {"readme.txt", "README.TXT", true},
    {"README.TXT", "README.TX", false},
    {"README.TX", "README.TXT", false},
    {"ABC*", "abcd", true},
    {"ABC*", "abc.def", true},
    {"ABC*", "abc", false},
    {"A*B", "ab", true},
    {"A*B", "axb", true},
    {"A*B", "axxb", true},
    {"A*B", "abc", false},
    {"A*B", "abcb", true},
    {"*.*", "a.b", true},
    {"*.*", "x.y.z", true},
    {"*.*", "abc", false},
    {"*.*", "abc.", false},
    {"*.*", ".a", true},
    {"*X", "X", true},
    {"*X", "aX", true},
    {"*X", "a", false},
    {"a**", "ab", true},
    {"a**", "a", false},
    {"**", "a", true},
    {"**", "", false},
    {"FILE??.TXT", "FILE01.TXT", true},
    {"FILE??.TXT", "FILE1.TXT", false},
    {"?", "a", true},
    {"?", "", false},
    {"?", "ab", false},
    {"?*", "a", false},
    {"?*", "ab", true},
    {"?*", "abcdef", true},
    {"*?", "a", true},
    {"*a*", "a", false},  // the final star takes at least one unit
    {"*a*", "ab", true},
    {"*a*", "ba", false},
    {"*a*", "bab", true},
    {"a*b*c", "abc", true},
    {"a*b*c", "aXbYc", true},
    {"a*b*c", "acb", false},
    {"*.TXT", "a.txt.txt", true},
    {"*.TXT", "a.txt.doc", false},
    // Bytes from 0x80 up are compared as they are; a second byte in a-z is
    // folded like a letter, one in A-Z matches its lower-case partner.
    {"\x82\x61", "\x82\x61", true},
    {"\x82\x61", "\x82\x41", true},
    {"\x82\x41", "\x82\x61", true},
    {"\x82\x61", "\x82\x62", false},
    {"\xE9", "\xC9", false},
    {"?\x61", "\x82\x41", true},
    {"[", "[", true},
    {"@", "`", false},  // 0x40 and 0x60 are not letters
};

TEST(MatchWildcard, DocumentedRows) {
  for (const Row& row : kRows)
    EXPECT_EQ(MatchWildcard(row.pattern, row.name), row.matches)
        << "pattern \"" << row.pattern << "\" name \"" << row.name << "\"";
}

std::u16string Widen(const char* text) {
  std::u16string wide;
  for (const char* p = text; *p; ++p) wide.push_back(static_cast<unsigned char>(*p));
  return wide;
}

TEST(MatchWildcardWide, SameRowsWithWholeCodeUnits) {
  for (const Row& row : kRows)
    EXPECT_EQ(MatchWildcardWide(Widen(row.pattern).c_str(), Widen(row.name).c_str()), row.matches)
        << "pattern \"" << row.pattern << "\" name \"" << row.name << "\"";
  // A code unit is one unit, whatever its value; only a-z fold.
  EXPECT_TRUE(MatchWildcardWide(u"?.TXT", u"\u3042.txt"));
  EXPECT_TRUE(MatchWildcardWide(u"\u3042*", u"\u3042\u3044"));
  EXPECT_FALSE(MatchWildcardWide(u"\u00E9", u"\u00C9"));
  EXPECT_FALSE(MatchWildcardWide(u"\u0161", u"\u0141"));  // 0x161 - 0x20 is not its partner
  EXPECT_FALSE(MatchWildcardWide(u"A", u"\u0141"));       // nor does 0x141 fold to 'A'
}

// Many stars against a long name that almost matches: an exponential
// matcher would not finish in this test run.
TEST(MatchWildcard, PathologicalPatternsReturnAtOnce) {
  const std::string as(260, 'a');
  EXPECT_FALSE(MatchWildcard("*a*a*a*a*a*a*a*a*b", as.c_str()));
  EXPECT_TRUE(MatchWildcard("*a*a*a*a*a*a*a*a*a", as.c_str()));
  EXPECT_FALSE(MatchWildcard("*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b", as.c_str()));
  std::string stars;
  for (int i = 0; i < 129; ++i) stars += "*a";
  EXPECT_FALSE(MatchWildcard((stars + "b").c_str(), as.c_str()));
  EXPECT_FALSE(MatchWildcardWide(u"*a*a*a*a*a*a*a*a*b", std::u16string(260, u'a').c_str()));
}

}  // namespace
