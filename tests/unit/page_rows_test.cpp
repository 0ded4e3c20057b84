// Rows of a wrapped line, and where the pause comes when lines wrap.
#include "finder/search/page_rows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ScreenRows, ALineTakesTheRowsItWrapsToAndOneWithoutAConsole) {
  const int rows[][3] = {{0, 50, 1}, {50, 50, 1}, {51, 50, 2}, {101, 50, 3}, {300, 0, 1}};
  for (const auto& row : rows) EXPECT_EQ(ScreenRows(row[0], row[1]), row[2]) << row[0];
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
