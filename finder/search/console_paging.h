// The console: page height, the pause after each screenful, one key read
// straight from the console device.
#pragma once

// Sets options.pageLines to the console's screen buffer rows minus 2 and
// returns 0. When the console cannot be opened it writes nothing, leaves
// pageLines as it was and returns the system error code: the run flow decides
// whether that ends the run (it does under /P, which cannot work without a
// console).
int QueryConsoleSize();
// Called once after every listed line while /P is on: after every
// pageLines-th one it writes the pause prompt and waits for a key.
void PagedOutput();
// One key, unechoed, from the console device itself (also when standard
// input is redirected), after flushing both standard streams; 0 when none
// could be read. The console's input mode is restored before it returns.
char ReadConsoleKey();
