#include <windows.h>

#include "common/handle_sink.h"

bool HandleSink::Write(void* context, const char* data, std::size_t size) {
  auto* self = static_cast<HandleSink*>(context);
  if (self->handle == nullptr || self->handle == INVALID_HANDLE_VALUE) return true;
  while (size > 0) {
    DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(self->handle, data, chunk, &written, nullptr) || written == 0) {
      DWORD code = GetLastError();
      self->error = code != 0 ? code : ERROR_WRITE_FAULT;
      return false;
    }
    data += written;
    size -= written;
  }
  return true;
}
