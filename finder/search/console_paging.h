// The console: page height, the pause after each screenful, one key read
// straight from the console device.
#pragma once

// Sets options.pageLines from the console's screen buffer and returns 0.
// When the console cannot be opened it writes nothing, leaves pageLines as it
// was and returns the system error code: the run flow decides whether that
// ends the run (it does under /P, which cannot work without a console).
int QueryConsoleSize();
// Called once after every listed line while /P is on.
void PagedOutput();
// One key, unechoed, from the console itself; 0 when none could be read.
char ReadConsoleKey();
