// The console: page height, the pause after each screenful, one key read
// straight from the console device.
#pragma once

#include <string_view>

#include "finder/records/search_options.h"

// Sets options.pageLines to the console's screen buffer rows minus 2, notes
// its width for the streams that are the console, and returns 0. When the
// console cannot be opened it writes nothing, leaves pageLines as it was and
// returns the system error code: the run flow decides whether that ends the
// run (it does under /P, which cannot work without a console).
int QueryConsoleSize(SearchOptions& options);
// Writes one listed line and its line end while /P is on, to standard output
// or standard error, with the pause prompt and a key read where a page ends:
// pages are counted in screen rows (see page_rows.h), a line wider than the
// console counting as the rows it wraps to.
void WritePagedLine(SearchOptions& options, std::string_view line, bool toStandardError = false);
// One key, unechoed, from the console device itself (also when standard
// input is redirected), after flushing both standard streams; 0 when none
// could be read. The console's input mode is restored before it returns.
char ReadConsoleKey();
