#include "configurator/system_paths_win32.h"

#include <windows.h>

#include "common/long_path.h"
#include "common/wide_text_win32.h"

namespace {

// Room for the longest path, its terminator and the prefix.
constexpr std::size_t kWideSize = kPathUnits + 1 + kLongPathPrefixUnits;

bool ToWide(std::string_view text, std::wstring& wide) {
  wide.resize(kWideSize);
  long units = WideFromText(CP_UTF8, text, wide.data(), kPathUnits + 1);
  wide.resize(units < 0 ? 0 : static_cast<std::size_t>(units));
  return units >= 0;
}

bool ToPathText(std::u16string_view wide, PathText& path) {
  long bytes = TextFromWide(CP_UTF8, {reinterpret_cast<const wchar_t*>(wide.data()), wide.size()},
                            path.data(), path.capacity() + 1);
  if (bytes < 0) return false;
  path.Recount();
  return true;
}

}  // namespace

std::string Utf8Argument(const wchar_t* argument) {
  std::wstring_view wide(argument);
  std::string text(3 * wide.size() + 1, '\0');
  long bytes = TextFromWide(CP_UTF8, wide, text.data(), text.size());
  text.resize(bytes < 0 ? 0 : static_cast<std::size_t>(bytes));
  return text;
}

unsigned long FullPathOf(std::string_view name, PathText& path) {
  std::wstring wide;
  if (!ToWide(name, wide)) return ERROR_FILENAME_EXCED_RANGE;
  std::u16string full(kPathUnits + 1, u'\0');
  DWORD length = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()),
                                  reinterpret_cast<wchar_t*>(full.data()), nullptr);
  if (length == 0) return GetLastError();
  if (length > kPathUnits || !ToPathText({full.data(), length}, path))
    return ERROR_FILENAME_EXCED_RANGE;
  return 0;
}

unsigned long OwnModulePath(PathText& path) {
  std::u16string self(kPathUnits + 1, u'\0');
  DWORD length = GetModuleFileNameW(nullptr, reinterpret_cast<wchar_t*>(self.data()),
                                    static_cast<DWORD>(self.size()));
  if (length == 0) return GetLastError();
  // A truncated name fills the whole buffer.
  if (length > kPathUnits || !ToPathText(WithoutLongPathPrefix(self.data(), length), path))
    return ERROR_FILENAME_EXCED_RANGE;
  return 0;
}

bool FitsSystem(const PathText& path) {
  long units = WideLength(CP_UTF8, path.view());
  return units >= 0 && static_cast<std::size_t>(units) <= kPathUnits;
}

SystemPath::SystemPath(const char* path) {
  std::wstring wide;
  if (!ToWide(path, wide)) return;
  text_.resize(kWideSize);
  if (!ToSystemPath({reinterpret_cast<const char16_t*>(wide.data()), wide.size()},
                    reinterpret_cast<char16_t*>(text_.data()), text_.size())) {
    text_.clear();
    return;
  }
  text_.resize(text_.find(L'\0'));
}

std::string ShownPath(const char* path) {
  std::wstring wide;
  if (!ToWide(path, wide)) return path;
  // A double-byte code page takes at most two bytes a unit.
  std::string shown(2 * wide.size() + 1, '\0');
  long bytes = TextFromWide(CP_ACP, wide, shown.data(), shown.size());
  shown.resize(bytes < 0 ? 0 : static_cast<std::size_t>(bytes));
  return shown;
}
