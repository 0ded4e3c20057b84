// Rows of a wrapped line, and where the pause comes when lines wrap.
#include "finder/search/page_rows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ScreenRows, ALineTakesTheRowsItWrapsTo) {
  const struct {
    std::size_t width;
    int columns, rows;
  } rows[] = {
      {0, 50, 1},   {1, 50, 1},  {50, 50, 1},  {51, 50, 2}, {100, 50, 2},
      {101, 50, 3}, {300, 0, 1}, {300, -1, 1}, {7, 1, 7},   {~std::size_t{0}, 1, 1 << 20},
  };
  for (const auto& row : rows)
    EXPECT_EQ(ScreenRows(row.width, row.columns), row.rows) << row.width << "/" << row.columns;
}

// Each line's rows in turn on pages of `pageLines` rows: "|" is a pause,
// before or behind the line's digit.
std::string Pages(int pageLines, const std::vector<int>& lines) {
  std::string out;
  int count = 0;
  for (int rows : lines) {
    PageStep step = CountPageRows(count, pageLines, rows);
    if (step.pauseBefore) out += '|';
    out += std::to_string(rows);
    if (step.pauseAfter) out += '|';
  }
  return out;
}

TEST(CountPageRows, PausesBeforeARowWouldScrollAwayUnseen) {
  const struct {
    int pageLines;
    std::vector<int> lines;
    const char* pages;
  } rows[] = {
      {3, {1, 1, 1, 1, 1, 1, 1}, "111|111|1"},  // rows of one: as many lines a page
      {18, {2, 2, 2, 2, 2, 2, 2, 2, 2, 2}, "222222222|2"},
      {4, {1, 2, 2, 1}, "12|21"},  // the second 2 would not fit behind 1 and 2
      {4, {3, 3}, "3|3"},          // ... nor behind 3
      {4, {6, 1}, "6|1"},          // a line taller than a page still pauses behind it
      {4, {1, 6, 1}, "1|6|1"},
      {0, {1, 1, 5}, "115"},  // no page height: never a pause
      {-2, {1, 1}, "11"},
  };
  for (const auto& row : rows) EXPECT_EQ(Pages(row.pageLines, row.lines), row.pages);
}

}  // namespace
