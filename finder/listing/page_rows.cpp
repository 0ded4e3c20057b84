#include "finder/listing/page_rows.h"

#include "common/display_columns.h"

int LineRows(std::string_view line, int columns) {
  // Redirected output pages as written: nothing to measure.
  if (columns < 1 || line.empty()) return 1;
  const auto width = static_cast<std::size_t>(columns);
  // No line is that long; the cap keeps the counter from overflowing.
  constexpr int kMostRows = 1 << 20;
  int rows = 0;
  do {
    ColumnSpan row = FitColumns(line, width);
    // On a console one column wide a wide character still takes a row.
    if (row.bytes == 0) row = FitColumns(line, 2);
    line.remove_prefix(row.bytes);
    ++rows;
  } while (!line.empty() && rows < kMostRows);
  return rows;
}

PageStep CountPageRows(int& lineCount, int pageLines, int rows) {
  PageStep step;
  if (pageLines < 1) return step;
  if (lineCount > 0 && rows > pageLines - lineCount) {
    step.pauseBefore = true;
    lineCount = 0;
  }
  lineCount += rows;
  if (lineCount >= pageLines) {
    step.pauseAfter = true;
    lineCount = 0;
  }
  return step;
}
