#include <windows.h>

#include <cstdint>

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

// The target is given as an absolute position, which the source keeps: a
// move relative to the current position first asks the system for that
// position, a second system call per seek under Wine, and the readers seek
// once per member of an archive of large members.
bool FileByteSource::Skip(std::int64_t offset) {
  std::uint64_t target;
  if (offset < 0) {
    const std::uint64_t back = static_cast<std::uint64_t>(-(offset + 1)) + 1;
    if (back > position_) return false;
    target = position_ - back;
  } else {
    target = position_ + static_cast<std::uint64_t>(offset);
    if (target > static_cast<std::uint64_t>(INT64_MAX)) return false;
  }
  LARGE_INTEGER distance;
  distance.QuadPart = static_cast<LONGLONG>(target);
  if (!SetFilePointerEx(handle_, distance, nullptr, FILE_BEGIN)) return false;
  position_ = target;
  return true;
}

bool FileByteSource::Size(std::uint64_t& size) {
  LARGE_INTEGER length;
  if (!GetFileSizeEx(handle_, &length)) return false;
  size = static_cast<std::uint64_t>(length.QuadPart);
  return true;
}
