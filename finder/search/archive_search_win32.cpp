// The archive passes of one directory: find the archives of one kind with
// the platform's directory search, open each and hand it to its reader.
#include <windows.h>

#include <cstring>

#include "common/standard_streams.h"
#include "finder/archive/buffered_byte_source.h"
#include "finder/archive/file_byte_source.h"
#include "finder/search/archive_search.h"
#include "finder/search/search_state.h"

namespace {

void ListArchive(const ArchiveFormat& format, HANDLE handle) {
  FileByteSource file(handle);
  BufferedByteSource buffered(file);
  ListArchiveMembers(format, buffered, StandardMemberReading());
}

}  // namespace

void SearchArchives(const ArchiveFormat& format, std::size_t namePosition) {
  SearchState& state = searchState;
  const PathText& pattern = state.options.*format.pattern;
  // A pattern that does not fit behind this directory could only be searched
  // cut short, which would open the wrong files: there is nothing to search.
  if (namePosition >= kPathSize || pattern.size() >= kPathSize - namePosition) return;
  std::memcpy(state.searchPath + namePosition, pattern.c_str(), pattern.size() + 1);

  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(state.searchPath, &found);
  if (search == INVALID_HANDLE_VALUE) {
    DWORD code = GetLastError();
    if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND)
      state.stop.Fail(StdErr(), code);
    return;
  }
  do {
    std::size_t nameLength = strnlen(found.cFileName, sizeof found.cFileName);
    if (nameLength >= kPathSize - namePosition) continue;
    std::memcpy(state.archivePath, state.searchPath, namePosition);
    std::memcpy(state.archivePath + namePosition, found.cFileName, nameLength);
    state.archivePath[namePosition + nameLength] = '\0';

    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE file = CreateFileA(state.archivePath, GENERIC_READ, FILE_SHARE_READ, &inheritable,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    // What cannot be opened (a directory that matches the pattern, a file
    // locked by another program) is passed over without a word.
    if (file == INVALID_HANDLE_VALUE) continue;
    ListArchive(format, file);
    CloseHandle(file);
  } while (!state.stop.Stopped() && FindNextFileA(search, &found));
  DWORD code = GetLastError();
  FindClose(search);
  if (!state.stop.Stopped() && code != ERROR_NO_MORE_FILES) state.stop.Fail(StdErr(), code);
}
