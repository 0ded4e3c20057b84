// ZIP names stored in the OEM code page are decoded from it where it is not
// the ANSI one.
#include <windows.h>

#include "finder/archive/utf8_member_name.h"
#include "finder/search/search_state.h"

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
