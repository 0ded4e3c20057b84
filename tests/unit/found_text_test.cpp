// The found message's $ codes, filled from the totals of a run.
#include "finder/listing/found_text.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// The shipped texts; the Japanese one in code page 932.
constexpr const char* kEnglishFound = "\n$C10 files  $S19 bytes found!";
#define KO "\x8C\xC2"
#define BYTE_FILES_FOUND                                                                         \
  "\x83\x6F\x83\x43\x83\x67\x82\xCC\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xAA\x82\xDD\x82\xC2\x82" \
  "\xA9\x82\xE8\x82\xDC\x82\xB5\x82\xBD\x81\x49"
constexpr const char* kJapaneseFound = "\n$C10 " KO " $SB19 " BYTE_FILES_FOUND;

struct Case {
  const char* text;
  std::uint32_t count;
  std::uint64_t bytes;
  const char* line;
};

const Case kCases[] = {
    // The shipped texts.
    {kEnglishFound, 1234, 1234567, "\n     1,234 files            1,234,567 bytes found!"},
    {kJapaneseFound, 1234, 1234567, "\n     1,234 " KO "           1,234,567 " BYTE_FILES_FOUND},
    {kEnglishFound, 3, 0, "\n         3 files                    0 bytes found!"},
    // Units shift the fraction away; a width of 0 adds no blanks.
    {"$SK8", 0, 1023, "       0"},
    {"$SM word", 0, 3145728, "3 word"},
    {"$sk10|$SK10", 0, 5 << 10, "         5|         5"},
    {"$SG $ST", 0, UINT64_MAX, "17,179,869,183 16,777,215"},
    {"$SG|$ST", 0, UINT64_MAX, "17,179,869,183"},  // "|$ST" is dropped by the scan,
    // Widths: limits, cut digits, the scan that drops letters.
    {"$C99|", 1234, 0, "        1,234|"},
    {"$S40|", 0, 1234, "                     1,234|"},
    {"$S26", 0, UINT64_MAX, "18,446,744,073,709,551,615"},
    {"$C2", 1234567, 0, "1,234,567"},
    {"$c10|$C10", 7, 0, "         7|         7"},
    {"$C 5", 1234, 0, "1,234 5"},
    {"$C\t5", 1234, 0, "1,234\t5"},
    {"$CX4y", 12, 0, "  12y"},
    {"$SB19", 0, 1, "                  1"},
    {"$C$S", 1, 2, "1"},
    // A code at the very end of the text has no width.
    {"n=$C", 1234, 0, "n=1,234"},
    {"n=$SK", 0, 4096, "n=4"},
    {"n=$S", 0, 4096, "n=4,096"},
    // Every $S starts from the whole total.
    {"$SK $S", 0, 2048, "2 2,048"},
    // Dollars that are no code.
    {"$$C10", 5, 0, "$C10"},
    {"cost $x", 0, 0, "cost $x"},
    {"end $", 0, 0, "end $"},
    {"$", 0, 0, "$"},
    {"", 9, 9, ""},
    {"no codes", 9, 9, "no codes"},
    // Counts past 2^31 stay positive.
    {"$C", 3000000000u, 0, "3,000,000,000"},
    {"$C $S", UINT32_MAX, UINT64_MAX, "4,294,967,295 18,446,744,073,709,551,615"},
};

TEST(FoundText, ExpandsEveryCode) {
  for (const Case& c : kCases) {
    SearchTotals totals;
    totals.count = c.count;
    totals.bytes = c.bytes;
    EXPECT_EQ(ExpandFoundText(c.text, totals).view(), c.line) << c.text;
  }
}

TEST(FoundText, ManyWideCodesAreCutAtTheLineBuffer) {
  SearchTotals totals;
  totals.bytes = UINT64_MAX;
  std::string text;
  for (int i = 0; i < 20; ++i) text += "$S ";
  SummaryText line = ExpandFoundText(text, totals);
  EXPECT_TRUE(line.truncated());
  EXPECT_EQ(line.size(), SummaryText::capacity());
}

}  // namespace
