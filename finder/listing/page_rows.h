// Counting the rows a listing fills on the screen, for the pause under /P.
#pragma once

#include <string_view>

// The rows `line` takes on a console `columns` wide, measured in screen
// columns (common/display_columns.h), not bytes: a line longer than the
// console wraps, and a wide character that would straddle the right edge
// starts the next row. At least one; one for every line when `columns` is
// below 1 (the output is no console and pages as written).
int LineRows(std::string_view line, int columns);

struct PageStep {
  bool pauseBefore = false;  // pause before writing the line
  bool pauseAfter = false;   // pause behind it
};

// Counts a line of `rows` rows into `lineCount` on pages of `pageLines`
// rows. A line that would not fit in what is left of the page pauses first,
// so that no row scrolls away unseen; a page filled exactly pauses behind its
// last line. With a `pageLines` below 1 nothing pauses and nothing is counted.
PageStep CountPageRows(int& lineCount, int pageLines, int rows);
