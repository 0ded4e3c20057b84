// Counting the rows a listing fills on the screen, for the pause under /P.
#pragma once

#include <cstddef>

// The rows a line of `width` columns takes on a console `columns` wide: a
// line longer than the console wraps. At least one; one for every line when
// `columns` is below 1 (the output is no console and pages as written).
int ScreenRows(std::size_t width, int columns);

struct PageStep {
  bool pauseBefore = false;  // pause before writing the line
  bool pauseAfter = false;   // pause behind it
};

// Counts a line of `rows` rows into `lineCount` on pages of `pageLines`
// rows. A line that would not fit in what is left of the page pauses first,
// so that no row scrolls away unseen; a page filled exactly pauses behind its
// last line. With a `pageLines` below 1 nothing pauses and nothing is counted.
PageStep CountPageRows(int& lineCount, int pageLines, int rows);
