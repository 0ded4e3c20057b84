// The search's file system over the wide calls: the one directory-search loop
// of the program, opening files, short and full paths.
//
// Paths and names are converted to and from the text inside the program
// (kInsideCodePage). Paths of 260 units and more reach the system with the
// \\?\ prefix (long_path.h).
#include "finder/search/file_system_win32.h"

#include <windows.h>

#include <cstdint>
#include <cwchar>

#include "common/long_path.h"
#include "common/wide_text_win32.h"
#include "finder/archive/file_byte_source.h"

namespace {

constexpr std::size_t kWideSize = kPlatformPathUnits + kLongPathPrefixUnits;

// One buffer for every path on its way to the system: each call copies what
// it needs before it returns, and a buffer per call would be a stack frame of
// 64 KiB at every level of the walk's recursion.
wchar_t convertedPath[kWideSize];
wchar_t systemPath[kWideSize];

// `path` as the system is to get it, in systemPath; false when it cannot be.
bool ToSystem(const char* path) {
  long length = WideFromText(kInsideCodePage, path, convertedPath, kWideSize);
  return length >= 0 && ToSystemPath({reinterpret_cast<const char16_t*>(convertedPath),
                                      static_cast<std::size_t>(length)},
                                     reinterpret_cast<char16_t*>(systemPath), kWideSize);
}

// False for an entry whose name the search cannot hold.
bool ToFileEntry(const WIN32_FIND_DATAW& data, FileEntry& entry) {
  entry.attributes = data.dwFileAttributes;
  entry.lastWriteTime = (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                        data.ftLastWriteTime.dwLowDateTime;
  entry.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  std::wstring_view name(data.cFileName, wcsnlen(data.cFileName, MAX_PATH));
  std::wstring_view shortName(data.cAlternateFileName, wcsnlen(data.cAlternateFileName, 14));
  if (TextFromWide(kInsideCodePage, name, entry.name, sizeof entry.name) < 0) return false;
  if (TextFromWide(kInsideCodePage, shortName, entry.shortName, sizeof entry.shortName) < 0)
    entry.shortName[0] = '\0';
  return true;
}

class SystemFiles final : public FileSystem {
 public:
  ListingStatus List(const char* pattern, Visit visit, void* context) override {
    if (!ToSystem(pattern)) return {kErrorNameTooLong, false};
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(systemPath, &data);
    if (search == INVALID_HANDLE_VALUE) return {static_cast<std::uint32_t>(GetLastError()), false};
    ListingStatus status{0, true};
    FileEntry entry;
    do {
      if (!ToFileEntry(data, entry)) continue;
      if (!visit(context, entry)) {
        FindClose(search);
        return status;
      }
    } while (FindNextFileW(search, &data));
    DWORD code = GetLastError();
    FindClose(search);
    if (code != ERROR_NO_MORE_FILES) status.code = code;
    return status;
  }

  bool Open(const char* path, Use use, void* context) override {
    if (!ToSystem(path)) return false;
    // The handle is inheritable, as a started command has always received it.
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE file = CreateFileW(systemPath, GENERIC_READ, FILE_SHARE_READ, &inheritable,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    FileByteSource source(file);
    use(context, source);
    CloseHandle(file);
    return true;
  }

  std::size_t ShortPath(const char* path, char* out, std::size_t size) override {
    if (!ToSystem(path)) return 0;
    DWORD length = GetShortPathNameW(systemPath, convertedPath, kWideSize);
    if (length == 0 || length >= kWideSize) return 0;
    std::u16string_view shown =
        WithoutLongPathPrefix(reinterpret_cast<char16_t*>(convertedPath), length);
    long written = TextFromWide(
        kInsideCodePage, {reinterpret_cast<const wchar_t*>(shown.data()), shown.size()}, out, size);
    return written > 0 ? static_cast<std::size_t>(written) : 0;
  }

  bool Identity(const char* path, DirectoryIdentity& identity) override {
    if (!ToSystem(path)) return false;
    // Opening a directory needs backup semantics; no access right is asked for.
    HANDLE directory =
        CreateFileW(systemPath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (directory == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    bool read = GetFileInformationByHandle(directory, &info);
    CloseHandle(directory);
    if (!read) return false;
    identity.volume = info.dwVolumeSerialNumber;
    identity.index = static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
    return true;
  }

  // GetFullPathNameW works on the text alone, and a \\?\ path is no path to
  // make full: the prefix is not added here.
  std::uint32_t FullPath(const char* path, char* out, std::size_t size,
                         std::size_t& namePosition) override {
    if (WideFromText(kInsideCodePage, path, convertedPath, kWideSize) < 0) return kErrorNameTooLong;
    wchar_t* namePart = nullptr;
    DWORD length = GetFullPathNameW(convertedPath, kWideSize, systemPath, &namePart);
    if (length == 0) return GetLastError();
    if (length >= kWideSize) return kErrorNameTooLong;
    // The name part is found again in the converted text: a position in
    // UTF-16 units is no byte position.
    long directoryBytes = 0;
    if (namePart)
      directoryBytes =
          TextFromWide(kInsideCodePage,
                       {systemPath, static_cast<std::size_t>(namePart - systemPath)}, out, size);
    if (directoryBytes < 0 || TextFromWide(kInsideCodePage, {systemPath, length}, out, size) < 0)
      return kErrorNameTooLong;
    namePosition = static_cast<std::size_t>(directoryBytes);
    return 0;
  }
};

}  // namespace

FileSystem& SystemFileSystem() {
  static SystemFiles files;
  return files;
}
