#include "configurator/file_version_win32.h"

#include <windows.h>

#include "common/error_code.h"
#include "common/standard_streams.h"

std::uint32_t ReadFileVersion(const char* path) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path, &found);
  if (search == INVALID_HANDLE_VALUE) {
    StdErr().Printf("%s is not found.\n", path);
    return 0;
  }
  FindClose(search);

  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(path, &handle);
  if (size == 0) {
    WriteErrorCode(StdErr(), GetLastError());
    return 0;
  }
  void* info = HeapAlloc(GetProcessHeap(), 0, size);
  if (!info) {
    WriteErrorCode(StdErr(), GetLastError());
    return 0;
  }
  std::uint32_t version = 0;
  if (!GetFileVersionInfoA(path, 0, size, info)) {
    WriteErrorCode(StdErr(), GetLastError());
  } else {
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (VerQueryValueA(info, "\\", reinterpret_cast<void**>(&fixed), &fixedSize) && fixed &&
        fixedSize >= sizeof(VS_FIXEDFILEINFO)) {
      version = fixed->dwFileVersionMS;
    }
  }
  HeapFree(GetProcessHeap(), 0, info);
  return version;
}
