#include <windows.h>

#include "common/standard_streams.h"
#include "finder/search/console_paging.h"
#include "finder/search/search_state.h"

int QueryConsoleSize() {
  HANDLE console = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  if (console == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
  // The buffer's height, not the window's: that is what a page scrolls by.
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (GetConsoleScreenBufferInfo(console, &info)) searchState.options.pageLines = info.dwSize.Y - 2;
  CloseHandle(console);
  return 0;
}

void PagedOutput() {
  SearchOptions& options = searchState.options;
  // A page height below 1 never pauses; not counting then also keeps a
  // listing of billions of lines from overflowing the counter.
  if (options.pageLines < 1) return;
  if (++options.lineCount != options.pageLines) return;
  options.lineCount = 0;
  StdOut().Write(options.pausePrompt.view());
  StdOut().Put('\n');
  ReadConsoleKey();
}

char ReadConsoleKey() {
  // The prompt and everything before it must be on the screen before the
  // program waits.
  FlushStandardStreams();
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  // The console device itself: standard input may be a file or a pipe.
  HANDLE input = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, &inheritable,
                             OPEN_EXISTING, 0, nullptr);
  if (input == INVALID_HANDLE_VALUE) return 0;
  DWORD savedMode = 0;
  bool haveMode = GetConsoleMode(input, &savedMode);
  // Mode 0: the key comes at once, unechoed, and Ctrl+C is a key like any other.
  SetConsoleMode(input, 0);
  char key = 0;
  DWORD read = 0;
  bool ok = ReadConsoleA(input, &key, 1, &read, nullptr);
  if (haveMode) SetConsoleMode(input, savedMode);
  CloseHandle(input);
  return ok && read >= 1 ? key : 0;
}
