#include "configurator/file_version_win32.h"

#include <windows.h>

#include "common/error_code.h"
#include "common/standard_streams.h"
#include "configurator/system_paths_win32.h"

std::uint32_t ReadFileVersion(const char* path) {
  SystemPath system(path);
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(system.get(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    StdErr().Printf("%s is not found.\n", ShownPath(path).c_str());
    return 0;
  }
  FindClose(search);

  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeW(system.get(), &handle);
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
  if (!GetFileVersionInfoW(system.get(), 0, size, info)) {
    WriteErrorCode(StdErr(), GetLastError());
  } else {
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (VerQueryValueW(info, L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) && fixed &&
        fixedSize >= sizeof(VS_FIXEDFILEINFO)) {
      version = fixed->dwFileVersionMS;
    }
  }
  HeapFree(GetProcessHeap(), 0, info);
  return version;
}
