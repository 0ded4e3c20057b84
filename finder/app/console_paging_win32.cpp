#include <windows.h>

#include "common/standard_streams.h"
#include "finder/app/console_paging.h"
#include "finder/listing/page_rows.h"

namespace {

int ColumnsIfConsole(DWORD stream, int columns) {
  return GetFileType(GetStdHandle(stream)) == FILE_TYPE_CHAR ? columns : 0;
}

void Pause(const SearchOptions& options) {
  StdOut().Write(options.pausePrompt.view());
  StdOut().Put('\n');
  ReadConsoleKey();
}

}  // namespace

int QueryConsoleSize(SearchOptions& options) {
  HANDLE console = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  if (console == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
  // The buffer's height, not the window's: that is what a page scrolls by.
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (GetConsoleScreenBufferInfo(console, &info)) {
    options.pageLines = info.dwSize.Y - 2;
    options.outputColumns = ColumnsIfConsole(STD_OUTPUT_HANDLE, info.dwSize.X);
    options.errorColumns = ColumnsIfConsole(STD_ERROR_HANDLE, info.dwSize.X);
  }
  CloseHandle(console);
  return 0;
}

void WritePagedLine(SearchOptions& options, std::string_view line, bool toStandardError) {
  const int rows = LineRows(line, toStandardError ? options.errorColumns : options.outputColumns);
  const PageStep step = CountPageRows(options.lineCount, options.pageLines, rows);
  if (step.pauseBefore) Pause(options);
  TextWriter& stream = toStandardError ? StdErr() : StdOut();
  stream.Write(line);
  stream.Put('\n');
  if (step.pauseAfter) Pause(options);
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
