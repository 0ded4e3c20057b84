// The search's file system over the wide calls: the one directory-search loop
// of the program, opening files, short and full paths.
//
// The search still holds its paths and names as text in the ANSI code page,
// as the -A calls gave them; converting here with the conversion those calls
// apply keeps every name and every failure as they were.
#include "finder/search/file_system_win32.h"

#include <windows.h>

#include <cstdint>
#include <cwchar>

#include "common/wide_text_win32.h"
#include "finder/archive/file_byte_source.h"

namespace {

constexpr unsigned kTextCodePage = CP_ACP;

// A path of the search as the system's text; false when it cannot be one.
bool ToWide(const char* path, wchar_t (&out)[kPathSize]) {
  return WideFromText(kTextCodePage, path, out, kPathSize) >= 0;
}

// False for an entry whose name the search cannot hold.
bool ToFileEntry(const WIN32_FIND_DATAW& data, FileEntry& entry) {
  entry.attributes = data.dwFileAttributes;
  entry.lastWriteTime = (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                        data.ftLastWriteTime.dwLowDateTime;
  entry.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  std::wstring_view name(data.cFileName, wcsnlen(data.cFileName, MAX_PATH));
  std::wstring_view shortName(data.cAlternateFileName, wcsnlen(data.cAlternateFileName, 14));
  if (TextFromWide(kTextCodePage, name, entry.name, sizeof entry.name) < 0) return false;
  if (TextFromWide(kTextCodePage, shortName, entry.shortName, sizeof entry.shortName) < 0)
    entry.shortName[0] = '\0';
  return true;
}

class SystemFiles final : public FileSystem {
 public:
  ListingStatus List(const char* pattern, Visit visit, void* context) override {
    wchar_t widePattern[kPathSize];
    if (!ToWide(pattern, widePattern)) return {kErrorNameTooLong, false};
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(widePattern, &data);
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
    wchar_t widePath[kPathSize];
    if (!ToWide(path, widePath)) return false;
    // The handle is inheritable, as a started command has always received it.
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE file = CreateFileW(widePath, GENERIC_READ, FILE_SHARE_READ, &inheritable, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    FileByteSource source(file);
    use(context, source);
    CloseHandle(file);
    return true;
  }

  std::size_t ShortPath(const char* path, char* out, std::size_t size) override {
    wchar_t widePath[kPathSize], shortPath[kPathSize];
    if (!ToWide(path, widePath)) return 0;
    DWORD length = GetShortPathNameW(widePath, shortPath, kPathSize);
    if (length == 0 || length >= kPathSize) return 0;
    long written = TextFromWide(kTextCodePage, {shortPath, length}, out, size);
    return written > 0 ? static_cast<std::size_t>(written) : 0;
  }

  bool Identity(const char* path, DirectoryIdentity& identity) override {
    wchar_t widePath[kPathSize];
    if (!ToWide(path, widePath)) return false;
    // Opening a directory needs backup semantics; no access right is asked for.
    HANDLE directory =
        CreateFileW(widePath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
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

  std::uint32_t FullPath(const char* path, char* out, std::size_t size,
                         std::size_t& namePosition) override {
    wchar_t widePath[kPathSize], fullPath[kPathSize];
    if (!ToWide(path, widePath)) return kErrorNameTooLong;
    wchar_t* namePart = nullptr;
    DWORD length = GetFullPathNameW(widePath, kPathSize, fullPath, &namePart);
    if (length == 0) return GetLastError();
    if (length >= kPathSize) return kErrorNameTooLong;
    // The name part is found again in the converted text: a position in
    // UTF-16 units is no byte position.
    long directoryBytes = 0;
    if (namePart)
      directoryBytes = TextFromWide(
          kTextCodePage, {fullPath, static_cast<std::size_t>(namePart - fullPath)}, out, size);
    if (directoryBytes < 0 || TextFromWide(kTextCodePage, {fullPath, length}, out, size) < 0)
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
