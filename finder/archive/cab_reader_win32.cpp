// The Cabinet reader on the real output; UTF-8 names are shown in the ANSI
// code page the program found at start.
#include <windows.h>

#include "finder/archive/cab_reader.h"
#include "finder/search/search_state.h"

namespace {

bool ToAnsiCodePage(const char16_t* wide, char* out, std::size_t capacity) {
  // No default character: what the code page lacks becomes its own default.
  int written = WideCharToMultiByte(searchState.options.ansiCodePage, 0,
                                    reinterpret_cast<const wchar_t*>(wide), -1, out,
                                    static_cast<int>(capacity), nullptr, nullptr);
  return written > 0;
}

}  // namespace

void ListCabMembers(ByteSource& file) {
  ListCabMembers(file, StandardMemberSink(), ToAnsiCodePage);
}
