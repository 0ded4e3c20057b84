// The program lookup along PATH (/E) on the real system: the current
// directory and the PATH and PATHEXT values, as the program's text.
#include <windows.h>

#include <string>

#include "common/wide_text_win32.h"
#include "finder/search/file_system_win32.h"
#include "finder/search/program_lookup.h"

namespace {

// A variable's value, or an empty text when it is unset or cannot be read.
std::string EnvironmentValue(const wchar_t* name) {
  DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return {};
  std::wstring wide(size, L'\0');
  DWORD read = GetEnvironmentVariableW(name, wide.data(), size);
  if (read == 0 || read >= size) return {};
  // UTF-8 takes at most three bytes a unit.
  std::string value(3 * static_cast<std::size_t>(read) + 1, '\0');
  long length = TextFromWide(kInsideCodePage, {wide.data(), read}, value.data(), value.size());
  value.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  return value;
}

}  // namespace

void FindProgram(RunContext& run, SearchSink& sink) {
  char current[kNameSize];
  wchar_t wideCurrent[kPathSize];
  long currentLength = -1;
  DWORD length = GetCurrentDirectoryW(kPathSize, wideCurrent);
  if (length != 0 && length < kPathSize)
    currentLength = TextFromWide(kInsideCodePage, {wideCurrent, length}, current, sizeof current);
  const std::string path = EnvironmentValue(L"PATH");
  const std::string pathExt = EnvironmentValue(L"PATHEXT");
  ProgramPlaces places;
  places.currentDirectory =
      std::string_view(current, currentLength > 0 ? static_cast<std::size_t>(currentLength) : 0);
  places.path = path;
  places.pathExt = pathExt;
  FindProgram(run, SystemFileSystem(), sink, places);
}
