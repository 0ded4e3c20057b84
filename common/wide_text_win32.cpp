#include "common/wide_text_win32.h"

#include <windows.h>

#include <type_traits>

#include "common/inside_text.h"

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

// A room of 0 would make the call count instead of convert.
long ConvertToWide(unsigned codePage, std::string_view text, wchar_t* out, std::size_t size) {
  if (text.empty()) return 0;
  if (size == 0 || text.size() > kMaxCount || size > kMaxCount) return -1;
  int written = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out,
                                    static_cast<int>(size));
  return written > 0 ? written : -1;
}

}  // namespace

long WideFromText(unsigned codePage, std::string_view text, wchar_t* out, std::size_t size) {
  long length = 0;
  if (size == 0) return -1;
  if (CopyAscii(text.data(), text.size(), out, size, length)) return length;
  if (codePage != CP_UTF8 || !HoldsEscapedBytes(text)) {
    long written = ConvertToWide(codePage, text, out, size - 1);
    if (written < 0) return -1;
    out[written] = L'\0';
    return written;
  }
  // Escaped bytes are the ANSI code page's.
  std::size_t used = 0;
  for (std::size_t at = 0; at < text.size();) {
    bool escaped = false;
    std::size_t end = RunEnd(text, at, escaped);
    std::string_view run = text.substr(at, end - at);
    char bytes[256];
    long written = 0;
    if (!escaped) {
      written = ConvertToWide(CP_UTF8, run, out + used, size - 1 - used);
    } else {
      // In pieces of whole characters, as the run may be long.
      while (!run.empty() && written >= 0) {
        std::size_t take = run.size() < sizeof bytes * kEscapedByteSize
                               ? run.size()
                               : sizeof bytes * kEscapedByteSize - kEscapedByteSize;
        std::size_t whole = WholeCharacters(run.substr(0, take), IsAnsiLeadByte);
        if (whole == 0) whole = take;
        long piece = ConvertToWide(CP_ACP, {bytes, UnescapeRun(run.substr(0, whole), bytes)},
                                   out + used + written, size - 1 - used - written);
        written = piece < 0 ? -1 : written + piece;
        run.remove_prefix(whole);
      }
    }
    if (written < 0) return -1;
    used += static_cast<std::size_t>(written);
    at = end;
  }
  out[used] = L'\0';
  return static_cast<long>(used);
}

namespace {

// `flags` and `defaultChar` as WideCharToMultiByte takes them.
long ConvertFromWide(unsigned codePage, std::wstring_view text, char* out, std::size_t size,
                     unsigned long flags, const char* defaultChar) {
  long length = 0;
  if (size == 0) return -1;
  if (CopyAscii(text.data(), text.size(), out, size, length)) return length;
  // A room of 0 would make the call count instead of convert.
  if (size < 2 || text.size() > kMaxCount || size - 1 > kMaxCount) return -1;
  int written = WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()),
                                    out, static_cast<int>(size - 1), defaultChar, nullptr);
  if (written <= 0) return -1;
  out[written] = '\0';
  return written;
}

}  // namespace

long TextFromWide(unsigned codePage, std::wstring_view text, char* out, std::size_t size) {
  return ConvertFromWide(codePage, text, out, size, 0, nullptr);
}

long ShownTextFromWide(unsigned codePage, std::wstring_view text, char* out, std::size_t size) {
  // UTF-8 takes neither flag nor default character: the call fails with them.
  if (codePage == CP_UTF8 || (codePage == CP_ACP && GetACP() == CP_UTF8))
    return ConvertFromWide(CP_UTF8, text, out, size, 0, nullptr);
  return ConvertFromWide(codePage, text, out, size, WC_NO_BEST_FIT_CHARS, "?");
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

bool IsAnsiLeadByte(unsigned char byte) {
  return IsDBCSLeadByte(byte) != FALSE;
}
