#include "finder/search/file_entry_win32.h"

#include <cstdint>
#include <cstring>

FileEntry ToFileEntry(const WIN32_FIND_DATAA& data) {
  FileEntry entry;
  entry.attributes = data.dwFileAttributes;
  entry.lastWriteTime = (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                        data.ftLastWriteTime.dwLowDateTime;
  entry.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  static_assert(sizeof entry.name == sizeof data.cFileName);
  static_assert(sizeof entry.shortName == sizeof data.cAlternateFileName);
  std::memcpy(entry.name, data.cFileName, sizeof entry.name);
  entry.name[sizeof entry.name - 1] = '\0';
  std::memcpy(entry.shortName, data.cAlternateFileName, sizeof entry.shortName);
  entry.shortName[sizeof entry.shortName - 1] = '\0';
  return entry;
}

std::uint64_t LocalFileTime(std::uint64_t utcFileTime) {
  FILETIME utc{static_cast<DWORD>(utcFileTime), static_cast<DWORD>(utcFileTime >> 32)};
  FILETIME local;
  if (!FileTimeToLocalFileTime(&utc, &local)) return utcFileTime;
  return static_cast<std::uint64_t>(local.dwHighDateTime) << 32 | local.dwLowDateTime;
}
