#include "finder/records/file_entry_win32.h"

#include <windows.h>

#include <cstdint>

std::uint64_t LocalFileTime(std::uint64_t utcFileTime) {
  FILETIME utc{static_cast<DWORD>(utcFileTime), static_cast<DWORD>(utcFileTime >> 32)};
  FILETIME local;
  if (!FileTimeToLocalFileTime(&utc, &local)) return utcFileTime;
  return static_cast<std::uint64_t>(local.dwHighDateTime) << 32 | local.dwLowDateTime;
}
