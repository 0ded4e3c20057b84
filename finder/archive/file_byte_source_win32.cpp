#include <windows.h>

#include "finder/archive/file_byte_source.h"

std::size_t FileByteSource::Read(void* buffer, std::size_t size) {
  auto* out = static_cast<char*>(buffer);
  std::size_t total = 0;
  while (total < size) {
    DWORD want = size - total > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size - total);
    DWORD got = 0;
    if (!ReadFile(handle_, out + total, want, &got, nullptr) || got == 0) break;
    total += got;
  }
  position_ += total;
  return total;
}

bool FileByteSource::Skip(std::int64_t offset) {
  LARGE_INTEGER distance, now;
  distance.QuadPart = offset;
  if (!SetFilePointerEx(handle_, distance, &now, FILE_CURRENT)) return false;
  position_ = static_cast<std::uint64_t>(now.QuadPart);
  return true;
}

bool FileByteSource::Size(std::uint64_t& size) {
  LARGE_INTEGER length;
  if (!GetFileSizeEx(handle_, &length)) return false;
  size = static_cast<std::uint64_t>(length.QuadPart);
  return true;
}
