// Member names decoded from UTF-8 are shown in the ANSI code page the
// program found at start.
#include <windows.h>

#include "finder/archive/utf8_member_name.h"
#include "finder/search/search_state.h"

bool ToAnsiCodePage(const char16_t* wide, char* out, std::size_t capacity) {
  // No flags and no default character of our own: what the code page lacks
  // becomes the code page's default character.
  int written = WideCharToMultiByte(searchState.options.ansiCodePage, 0,
                                    reinterpret_cast<const wchar_t*>(wide), -1, out,
                                    static_cast<int>(capacity), nullptr, nullptr);
  return written > 0;
}
