// The console: page height, the pause after each screenful, one key read
// straight from the console device.
#pragma once

// Sets options.pageLines from the console's screen buffer; ends the run with
// the system error code when the console cannot be opened.
void QueryConsoleSize();
// Called once after every listed line while /P is on.
void PagedOutput();
// One key, unechoed, from the console itself; 0 when none could be read.
char ReadConsoleKey();
