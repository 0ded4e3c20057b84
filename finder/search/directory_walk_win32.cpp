// The directory walk on the platform's directory search. Name matching is
// the platform's: every entry FindFirstFileA returns for "directory\pattern"
// is a name match, so long and short names both match as the system decides.
#include <windows.h>

#include <cstring>
#include <string_view>

#include "common/error_code.h"
#include "common/standard_streams.h"
#include "finder/search/archive_search.h"
#include "finder/search/command_runner.h"
#include "finder/search/console_paging.h"
#include "finder/search/directory_walk.h"
#include "finder/search/entry_filter.h"
#include "finder/search/file_entry_win32.h"
#include "finder/search/listing_output.h"
#include "finder/search/path_identities.h"
#include "finder/search/search_path.h"
#include "finder/search/search_state.h"

namespace {

constexpr DWORD kFileNotFound = ERROR_FILE_NOT_FOUND;  // 2: nothing matches
constexpr DWORD kPathNotFound = ERROR_PATH_NOT_FOUND;  // 3: the directory is not there
constexpr DWORD kNoMoreFiles = ERROR_NO_MORE_FILES;    // 18: the normal end of an enumeration

void Fail(DWORD code) {
  searchState.stop.Fail(StdErr(), code);
}

// A subdirectory that cannot be opened (access denied, as the compatibility
// junctions of every current Windows volume are) would otherwise end a
// search over a whole volume at its first protected folder. It is reported
// and passed over; the first such code becomes the run's exit status.
void ReportSkippedDirectory(DWORD code) {
  searchState.stop.Note(StdErr(), code);
}

// The directories of the walk's current path, for the link-loop guard.
PathIdentities pathIdentities;

// The identity of the directory `path` names, through any links on the way.
bool ReadIdentity(const char* path, DirectoryIdentity& identity) {
  // Opening a directory needs backup semantics; no access right is asked for.
  HANDLE directory = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (directory == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  bool read = GetFileInformationByHandle(directory, &info);
  CloseHandle(directory);
  if (!read) return false;
  identity.volume = info.dwVolumeSerialNumber;
  identity.index = static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
  return true;
}

// A level of the path: its directory as searchPath holds it in front of
// `namePosition`, read as "directory\." so that a root keeps its backslash.
bool ReadLevelIdentity(std::size_t namePosition, DirectoryIdentity& identity) {
  char path[kPathSize + 1];
  if (namePosition >= kPathSize) return false;
  std::memcpy(path, searchState.searchPath, namePosition);
  path[namePosition] = '.';
  path[namePosition + 1] = '\0';
  return ReadIdentity(path, identity);
}

// The junction or symbolic link whose path stands in searchPath leads to a
// directory on the current path.
bool LeadsBackOntoPath() {
  DirectoryIdentity target;
  return ReadIdentity(searchState.searchPath, target) &&
         pathIdentities.IsOnPath(target, ReadLevelIdentity);
}

bool IsDotEntry(const char* name) {
  return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

void WriteEntry(const FileEntry& entry, std::size_t namePosition, bool& headerPrinted) {
  const SearchOptions& options = searchState.options;
  if (options.form == 0) {
    if (options.pausePerScreen) return WritePagedLine(searchState.searchPath);
    StdOut().Write(searchState.searchPath);
    StdOut().Put('\n');
    return;
  }
  if (!headerPrinted) {
    PrintDirectoryHeader(namePosition);
    headerPrinted = true;
  }
  if (options.form == 1)
    PrintEntryForm1(entry);
  else
    PrintEntryForm2(entry);
}

// The entries of one directory that match the pattern and the criteria:
// listed, counted and given the command. False when the rest of this
// directory's work is void (it is not there or cannot be read).
bool ListOrdinaryEntries(std::size_t namePosition, bool topDirectory) {
  const SearchOptions& options = searchState.options;
  char* path = searchState.searchPath;
  // The caller made sure the pattern fits; the top directory holds it already.
  WriteAtNamePosition(path, kPathSize, namePosition, {searchState.savedPattern});

  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(path, &data);
  if (search == INVALID_HANDLE_VALUE) {
    DWORD code = GetLastError();
    if (code == kFileNotFound) return true;
    if (code == kPathNotFound) {
      // The named directory does not exist: nothing to report, nothing to
      // sum up, and not a failure of the search.
      if (topDirectory) searchState.stop.Request(0);
      return false;
    }
    if (topDirectory)
      Fail(code);
    else
      ReportSkippedDirectory(code);
    return false;
  }

  bool headerPrinted = false;
  do {
    FileEntry entry = ToFileEntry(data);
    // Form 0 prints bare paths, in which "." and ".." would only repeat the
    // directory; the tables show them as the directory lines they are.
    if (options.form == 0 && (entry.attributes & kAttrDirectory) && IsDotEntry(entry.name))
      continue;
    if (!MatchesCriteria(entry)) continue;
    // An entry whose full path does not fit the path buffer could be neither
    // shown whole nor handed to a command: it is passed over.
    if (!WriteAtNamePosition(path, kPathSize, namePosition, {entry.name})) continue;
    if (!options.noEcho) WriteEntry(entry, namePosition, headerPrinted);
    ++searchState.totals.count;
    if (options.form != 0) searchState.totals.bytes += entry.size;
    if (options.runCommand) {
      path[namePosition] = '\0';
      RunCommandForFile(entry, namePosition);
    }
  } while (!searchState.stop.Stopped() && FindNextFileA(search, &data));
  DWORD code = GetLastError();
  FindClose(search);
  if (searchState.stop.Stopped()) return false;
  if (code == kNoMoreFiles) return true;
  Fail(code);
  return false;
}

// Without /O nothing has opened a subdirectory before its archive passes,
// which would end the run at the first one that cannot be read. One look at
// the directory tells; false when it is to be passed over (already reported).
bool SubdirectoryOpens(std::size_t namePosition) {
  if (!WriteAtNamePosition(searchState.searchPath, kPathSize, namePosition, {"*"})) return false;
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(searchState.searchPath, &data);
  if (search != INVALID_HANDLE_VALUE) {
    FindClose(search);
    return true;
  }
  DWORD code = GetLastError();
  if (code == kFileNotFound || code == kPathNotFound) return false;
  ReportSkippedDirectory(code);
  return false;
}

}  // namespace

void SearchDirectory(std::size_t namePosition, bool topDirectory) {
  const SearchOptions& options = searchState.options;
  if (options.searchOrdinary) {
    if (!ListOrdinaryEntries(namePosition, topDirectory)) return;
  } else if (!topDirectory && (options.searchLzh || options.searchZip || options.searchCab)) {
    if (!SubdirectoryOpens(namePosition)) return;
  }

  for (const ArchiveFormat& format : kArchiveFormats) {
    if (!(options.*format.wanted)) continue;
    SearchArchives(format, namePosition);
    if (searchState.stop.Stopped()) return;
  }

  if (topDirectory && !options.searchSubdirectories) return;
  WalkSubdirectories(namePosition);
}

void WalkSubdirectories(std::size_t namePosition) {
  PathIdentities::Level level(pathIdentities, namePosition);
  char* path = searchState.searchPath;
  bool topDirectory = namePosition == searchState.topNamePosition;
  if (!WriteAtNamePosition(path, kPathSize, namePosition, {"*"})) return;

  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(path, &data);
  if (search == INVALID_HANDLE_VALUE) {
    DWORD code = GetLastError();
    if (code == kFileNotFound || code == kPathNotFound) return;
    if (topDirectory)
      Fail(code);
    else
      ReportSkippedDirectory(code);
    return;
  }

  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || IsDotEntry(data.cFileName)) continue;
    std::string_view name(data.cFileName, strnlen(data.cFileName, sizeof data.cFileName));
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
        (!WriteAtNamePosition(path, kPathSize, namePosition, {name}) || LeadsBackOntoPath()))
      continue;
    // A subdirectory whose path and pattern would not fit the path buffer
    // cannot be searched without cutting names; it is passed over.
    if (!WriteAtNamePosition(path, kPathSize, namePosition, {name, "\\", searchState.savedPattern}))
      continue;
    SearchDirectory(namePosition + name.size() + 1, false);
  } while (!searchState.stop.Stopped() && FindNextFileA(search, &data));
  DWORD code = GetLastError();
  FindClose(search);
  if (!searchState.stop.Stopped() && code != kNoMoreFiles) Fail(code);
}
