// Rows of a wrapped line in screen columns, and where the pause comes when lines wrap.
#include "finder/listing/page_rows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/display_columns.h"

namespace {

// Rows of a line on a console of `consoleColumns`, and the screen columns
// the line takes: an escaped code page byte, or one outside a UTF-8
// sequence, is one.
TEST(LineRows, ALineTakesTheRowsItsColumnsWrapToAndOneWithoutAConsole) {
  const struct {
    std::string line;
    std::size_t columns;
    int consoleColumns, rows;
  } kRows[] = {
      {"", 0, 50, 1},
      {std::string(50, 'x'), 50, 50, 1},
      {std::string(51, 'x'), 51, 50, 2},
      {std::string(101, 'x'), 101, 50, 3},
      {std::string(300, 'x'), 300, 0, 1},
      {"日本", 4, 4, 1},
      {"café", 4, 4, 1},
      {"😀", 2, 2, 1},
      {"Ａ", 2, 1, 1},  // alone on a console one column wide
      {"ｱｱ", 2, 2, 1},
      // ああ as bytes of code page 932, escaped: a column a byte.
      {"\xED\xB2\x82\xED\xB2\xA0\xED\xB2\x82\xED\xB2\xA0", 4, 3, 2},
      {"\xE6\x97!\xC3", 4, 4, 1},         // a cut sequence, a lone lead byte
      {"\xC0\xAF\xED\xA0\x80", 5, 5, 1},  // an overlong form, an encoded surrogate
      {"a日a日", 6, 2, 4},                // a wide character never straddles the edge
      {"abcdefgh日本abcdefgh", 20, 10, 2},
  };
  for (const auto& row : kRows) {
    EXPECT_EQ(FitColumns(row.line, static_cast<std::size_t>(-1)).columns, row.columns) << row.line;
    EXPECT_EQ(LineRows(row.line, row.consoleColumns), row.rows) << row.line;
  }
}

// Lines of these rows on pages of `pageLines`: "|" marks a pause.
TEST(CountPageRows, PausesBeforeARowWouldScrollAwayUnseen) {
  const struct {
    int pageLines;
    std::vector<int> lines;
    const char* pages;
  } rows[] = {
      {3, {1, 1, 1, 1, 1, 1, 1}, "111|111|1"},
      {4, {1, 2, 2, 1}, "12|21"},
      {4, {1, 6, 1}, "1|6|1"},  // taller than a page: the pause still follows it
      {0, {1, 1, 5}, "115"},
  };
  for (const auto& row : rows) {
    std::string out;
    int count = 0;
    for (int lineRows : row.lines) {
      PageStep step = CountPageRows(count, row.pageLines, lineRows);
      out +=
          (step.pauseBefore ? "|" : "") + std::to_string(lineRows) + (step.pauseAfter ? "|" : "");
    }
    EXPECT_EQ(out, row.pages);
  }
}

}  // namespace
