// Member names decoded from UTF-8 are shown in the ANSI code page the
// program found at start; ZIP names stored in the OEM code page are decoded
// from it where it is not the ANSI one.
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

bool FromOemCodePage(std::string_view bytes, char16_t* out, std::size_t capacity) {
  static const UINT oem = GetOEMCP();
  if (oem == searchState.options.ansiCodePage || capacity == 0 || bytes.size() >= capacity)
    return false;
  int units = MultiByteToWideChar(oem, 0, bytes.data(), static_cast<int>(bytes.size()),
                                  reinterpret_cast<wchar_t*>(out), static_cast<int>(capacity - 1));
  if (units < 0 || (units == 0 && !bytes.empty())) return false;
  out[units] = u'\0';
  return true;
}
