#include <windows.h>

#include "finder/messages/message_loader.h"

int LoadStringId(unsigned id, char* buffer, int size) {
  if (size <= 0) return 0;
  buffer[0] = '\0';
  int loaded = LoadStringA(GetModuleHandleA(nullptr), id, buffer, size);
  if (loaded <= 0) {
    buffer[0] = '\0';
    return 0;
  }
  return loaded;
}

int LoadMessage(unsigned japaneseId, bool japanese, MessageBuffer& buffer) {
  buffer.Clear();
  unsigned id = japanese ? japaneseId : msg::EnglishId(japaneseId);
  int loaded = LoadStringId(id, buffer.data(), static_cast<int>(msg::kMessageBufferSize));
  buffer.Recount();
  return loaded;
}
