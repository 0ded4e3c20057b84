#include "finder/search/page_rows.h"

int ScreenRows(std::size_t width, int columns) {
  if (columns < 1 || width == 0) return 1;
  const std::size_t rows = (width - 1) / static_cast<std::size_t>(columns) + 1;
  // No line is that long; the cap keeps the counter from overflowing.
  constexpr std::size_t kMostRows = 1 << 20;
  return static_cast<int>(rows < kMostRows ? rows : kMostRows);
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
