#include <windows.h>

#include <cstdint>

#include "common/standard_streams.h"

namespace {

bool WriteToHandle(void* context, const char* data, std::size_t size) {
  HANDLE handle = GetStdHandle(static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(context)));
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
  while (size > 0) {
    DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(handle, data, chunk, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

void* HandleId(DWORD id) {
  return reinterpret_cast<void*>(static_cast<std::uintptr_t>(id));
}

}  // namespace

TextWriter& StdOut() {
  static TextWriter writer(WriteToHandle, HandleId(STD_OUTPUT_HANDLE), true);
  return writer;
}

TextWriter& StdErr() {
  static TextWriter writer(WriteToHandle, HandleId(STD_ERROR_HANDLE), true, &StdOut());
  return writer;
}

void FlushStandardStreams() {
  StdOut().Flush();
  StdErr().Flush();
}
