// ZIP names stored in the OEM code page are decoded from it where it is not
// the ANSI one; under /K names stored as bytes are decoded from the code page
// the user named.
#include <windows.h>

#include "common/wide_text_win32.h"
#include "finder/archive/utf8_member_name.h"

bool FromOemCodePage(std::string_view bytes, char16_t* out, std::size_t capacity) {
  static const UINT oem = GetOEMCP();
  static const UINT ansi = GetACP();
  return oem != ansi && bytes.size() < capacity &&
         WideFromText(oem, bytes, reinterpret_cast<wchar_t*>(out), capacity) >= 0;
}

bool FromCodePage(std::uint32_t codePage, std::string_view bytes, char16_t* out,
                  std::size_t capacity) {
  // Straight to the system: WideFromText would take bytes that look like the
  // program's escapes in UTF-8 for escapes. Flags 0: a sequence the code
  // page does not know becomes its default character (U+FFFD in UTF-8)
  // rather than failing the name.
  if (capacity == 0 || bytes.size() >= capacity) return false;
  int units = 0;
  if (!bytes.empty()) {
    units = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()),
                                reinterpret_cast<wchar_t*>(out), static_cast<int>(capacity - 1));
    if (units <= 0) return false;
  }
  out[units] = u'\0';
  return true;
}
