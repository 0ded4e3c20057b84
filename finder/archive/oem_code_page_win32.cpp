// ZIP names stored in the OEM code page are decoded from it where it is not
// the ANSI one.
#include <windows.h>

#include "common/wide_text_win32.h"
#include "finder/archive/utf8_member_name.h"

bool FromOemCodePage(std::string_view bytes, char16_t* out, std::size_t capacity) {
  static const UINT oem = GetOEMCP();
  static const UINT ansi = GetACP();
  return oem != ansi && bytes.size() < capacity &&
         WideFromText(oem, bytes, reinterpret_cast<wchar_t*>(out), capacity) >= 0;
}
