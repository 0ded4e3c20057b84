#include <windows.h>

#include <cstddef>

#include "common/inside_text.h"
#include "common/wide_text_win32.h"
#include "finder/listing/message_loader.h"

// LoadStringA's work done with kernel32's resource calls: the string table
// was all the program needed user32 for, and loading user32 doubles the time
// a process takes to start under Wine. The result is the same: the text,
// cut to the buffer, never in the middle of a character.
int LoadStringId(unsigned id, char* buffer, int size) {
  if (size <= 0) return 0;
  buffer[0] = '\0';
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC block = FindResourceW(module, MAKEINTRESOURCEW((id >> 4) + 1), MAKEINTRESOURCEW(6));
  HGLOBAL data = block ? LoadResource(module, block) : nullptr;
  const WCHAR* units = data ? static_cast<const WCHAR*>(LockResource(data)) : nullptr;
  if (units == nullptr) return 0;

  // A block is 16 counted strings; each count is checked against the block.
  std::size_t count = SizeofResource(module, block) / sizeof(WCHAR);
  std::size_t at = 0;
  for (unsigned skip = id & 15; skip > 0 && at < count; --skip) at += 1u + units[at];
  if (at >= count) return 0;
  std::size_t length = units[at];
  if (length == 0 || length > count - at - 1) return 0;

  // UTF-8 takes at most three bytes a unit.
  constexpr std::size_t kUnitsConverted = 1024;
  char text[3 * kUnitsConverted + 1];
  long converted = TextFromWide(
      kInsideCodePage, {units + at + 1, length < kUnitsConverted ? length : kUnitsConverted}, text,
      sizeof text);
  if (converted < 0) converted = 0;
  long room = converted < size - 1 ? converted : size - 1;
  int loaded = static_cast<int>(WholeCharacters({text, static_cast<std::size_t>(room)}, nullptr));
  CopyMemory(buffer, text, loaded);
  buffer[loaded] = '\0';
  return loaded;
}

int LoadMessage(unsigned japaneseId, bool japanese, MessageBuffer& buffer) {
  buffer.Clear();
  unsigned id = japanese ? japaneseId : msg::EnglishId(japaneseId);
  int loaded = LoadStringId(id, buffer.data(), static_cast<int>(msg::kMessageBufferSize));
  buffer.Recount();
  return loaded;
}
