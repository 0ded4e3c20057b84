#include "common/wide_text_win32.h"

#include <windows.h>

#include <type_traits>

namespace {

// Every ANSI and OEM code page and UTF-8 map the ASCII range to itself, and
// most names are ASCII: those skip the system's conversion, which costs more
// than the directory search that delivered them.
template <typename From, typename To>
bool CopyAscii(const From* text, std::size_t count, To* out, std::size_t size, long& length) {
  if (count >= size) return false;
  for (std::size_t i = 0; i < count; ++i) {
    auto unit = static_cast<std::make_unsigned_t<From>>(text[i]);
    if (unit >= 0x80) return false;
    out[i] = static_cast<To>(unit);
  }
  out[count] = 0;
  length = static_cast<long>(count);
  return true;
}

constexpr std::size_t kMaxCount = 0x7fffffff;

}  // namespace

long WideFromText(unsigned codePage, std::string_view text, wchar_t* out, std::size_t size) {
  long length = 0;
  if (size == 0) return -1;
  if (CopyAscii(text.data(), text.size(), out, size, length)) return length;
  if (text.size() > kMaxCount || size - 1 > kMaxCount) return -1;
  int written = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out,
                                    static_cast<int>(size - 1));
  if (written <= 0) return -1;
  out[written] = L'\0';
  return written;
}

long TextFromWide(unsigned codePage, std::wstring_view text, char* out, std::size_t size) {
  long length = 0;
  if (size == 0) return -1;
  if (CopyAscii(text.data(), text.size(), out, size, length)) return length;
  if (text.size() > kMaxCount || size - 1 > kMaxCount) return -1;
  int written = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out,
                                    static_cast<int>(size - 1), nullptr, nullptr);
  if (written <= 0) return -1;
  out[written] = '\0';
  return written;
}

long WideLength(unsigned codePage, std::string_view text) {
  std::size_t ascii = 0;
  while (ascii < text.size() && static_cast<unsigned char>(text[ascii]) < 0x80) ++ascii;
  if (ascii == text.size()) return static_cast<long>(ascii);
  if (text.size() > kMaxCount) return -1;
  int units =
      MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  return units > 0 ? units : -1;
}
