#include "configurator/mapped_file_win32.h"

#include "configurator/system_paths_win32.h"

MappedFile::~MappedFile() {
  if (view_) UnmapViewOfFile(view_);
  if (mapping_) CloseHandle(mapping_);
  CloseHandle(file_);
}

bool MappedFile::Map(bool writable) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file_, &size)) return false;
  // The system maps no empty file.
  if (size.QuadPart == 0) return true;
  mapping_ =
      CreateFileMappingW(file_, nullptr, writable ? PAGE_READWRITE : PAGE_READONLY, 0, 0, nullptr);
  if (!mapping_) return false;
  view_ = MapViewOfFile(mapping_, writable ? FILE_MAP_WRITE : FILE_MAP_READ, 0, 0, 0);
  if (!view_) return false;
  bytes_ = {static_cast<std::uint8_t*>(view_), static_cast<std::size_t>(size.QuadPart)};
  return true;
}

unsigned long MapForReading(const char* path, std::optional<MappedFile>& mapped) {
  HANDLE file = CreateFileW(SystemPath(path).get(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError();
  mapped.emplace(file);
  if (!mapped->Map(false)) {
    unsigned long code = GetLastError();
    mapped.reset();
    return code;
  }
  return 0;
}
