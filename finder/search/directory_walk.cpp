// The directory walk on the file system's directory search. Name matching is
// the system's: every entry a listing of "directory\pattern" returns is a
// name match, so long and short names both match as the system decides.
#include "finder/search/directory_walk.h"

#include <cstring>
#include <string_view>

#include "finder/search/archive_search.h"
#include "finder/search/file_system.h"
#include "finder/search/path_identities.h"
#include "finder/search/search_path.h"
#include "finder/search/search_sink.h"
#include "finder/search/search_state.h"

namespace {

void Fail(SearchSink& sink, std::uint32_t code) {
  searchState.stop.Fail(sink.Errors(), code);
}

// A subdirectory that cannot be opened (access denied, as the compatibility
// junctions of every current Windows volume are) would otherwise end a
// search over a whole volume at its first protected folder. It is reported
// and passed over; the first such code becomes the run's exit status.
void ReportSkippedDirectory(SearchSink& sink, std::uint32_t code) {
  searchState.stop.Note(sink.Errors(), code);
}

// The directories of the walk's current path, for the link-loop guard, and
// the file system their identities are read from.
PathIdentities pathIdentities;
FileSystem* identityFiles = nullptr;

// A level of the path: its directory as searchPath holds it in front of
// `namePosition`, read as "directory\." so that a root keeps its backslash.
bool ReadLevelIdentity(std::size_t namePosition, DirectoryIdentity& identity) {
  static char path[kLongPathSize + 1];
  if (namePosition >= kLongPathSize) return false;
  std::memcpy(path, searchState.searchPath, namePosition);
  path[namePosition] = '.';
  path[namePosition + 1] = '\0';
  return identityFiles->Identity(path, identity);
}

// The junction or symbolic link whose path stands in searchPath leads to a
// directory on the current path.
bool LeadsBackOntoPath(FileSystem& files) {
  DirectoryIdentity target;
  identityFiles = &files;
  return files.Identity(searchState.searchPath, target) &&
         pathIdentities.IsOnPath(target, ReadLevelIdentity);
}

bool IsDotEntry(const char* name) {
  return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// The entries of one directory that match the pattern and the criteria:
// listed, counted and given the command. False when the rest of this
// directory's work is void (it is not there or cannot be read).
bool ListOrdinaryEntries(FileSystem& files, SearchSink& sink, std::size_t namePosition,
                         bool topDirectory) {
  const SearchOptions& options = searchState.options;
  char* path = searchState.searchPath;
  // The caller made sure the pattern fits; the top directory holds it already.
  WriteAtNamePosition(path, kLongPathSize, namePosition, {searchState.savedPattern});

  bool headerShown = false;
  ListingStatus status = files.ListEach(path, [&](const FileEntry& entry) {
    // Form 0 prints bare paths, in which "." and ".." would only repeat the
    // directory; the tables show them as the directory lines they are.
    if (options.form == 0 && (entry.attributes & kAttrDirectory) && IsDotEntry(entry.name))
      return true;
    if (!sink.Selects(entry)) return true;
    // An entry whose full path does not fit the path buffer could be neither
    // shown whole nor handed to a command: it is passed over.
    if (!WriteAtNamePosition(path, kLongPathSize, namePosition, {entry.name})) return true;
    if (!options.noEcho) sink.Show(entry, namePosition, headerShown);
    CountAndRun(sink, entry, namePosition);
    return !searchState.stop.Stopped();
  });
  if (searchState.stop.Stopped()) return false;
  if (status.code == 0) return true;
  if (status.opened) {
    Fail(sink, status.code);
    return false;
  }
  if (status.code == kErrorFileNotFound) return true;
  if (status.code == kErrorPathNotFound) {
    // The named directory does not exist: nothing to report, nothing to
    // sum up, and not a failure of the search.
    if (topDirectory) searchState.stop.Request(0);
    return false;
  }
  if (topDirectory)
    Fail(sink, status.code);
  else
    ReportSkippedDirectory(sink, status.code);
  return false;
}

// Without /O nothing has opened a subdirectory before its archive passes,
// which would end the run at the first one that cannot be read. One look at
// the directory tells; false when it is to be passed over (already reported).
bool SubdirectoryOpens(FileSystem& files, SearchSink& sink, std::size_t namePosition) {
  if (!WriteAtNamePosition(searchState.searchPath, kLongPathSize, namePosition, {"*"}))
    return false;
  ListingStatus status =
      files.ListEach(searchState.searchPath, [](const FileEntry&) { return false; });
  if (status.opened) return true;
  if (status.code == kErrorFileNotFound || status.code == kErrorPathNotFound) return false;
  ReportSkippedDirectory(sink, status.code);
  return false;
}

}  // namespace

void CountAndRun(SearchSink& sink, const FileEntry& entry, std::size_t namePosition) {
  const SearchOptions& options = searchState.options;
  ++searchState.totals.count;
  if (options.form != 0) searchState.totals.bytes += entry.size;
  if (options.runCommand) {
    searchState.searchPath[namePosition] = '\0';
    sink.RunCommand(entry, namePosition);
  }
}

void SearchDirectory(FileSystem& files, SearchSink& sink, std::size_t namePosition,
                     bool topDirectory) {
  const SearchOptions& options = searchState.options;
  if (options.searchOrdinary) {
    if (!ListOrdinaryEntries(files, sink, namePosition, topDirectory)) return;
  } else if (!topDirectory && (options.searchLzh || options.searchZip || options.searchCab)) {
    if (!SubdirectoryOpens(files, sink, namePosition)) return;
  }

  for (const ArchiveFormat& format : kArchiveFormats) {
    if (!(options.*format.wanted)) continue;
    SearchArchives(files, sink, format, namePosition);
    if (searchState.stop.Stopped()) return;
  }

  if (topDirectory && !options.searchSubdirectories) return;
  WalkSubdirectories(files, sink, namePosition);
}

void WalkSubdirectories(FileSystem& files, SearchSink& sink, std::size_t namePosition) {
  PathIdentities::Level level(pathIdentities, namePosition);
  char* path = searchState.searchPath;
  bool topDirectory = namePosition == searchState.topNamePosition;
  if (!WriteAtNamePosition(path, kLongPathSize, namePosition, {"*"})) return;

  ListingStatus status = files.ListEach(path, [&](const FileEntry& entry) {
    if (!(entry.attributes & kAttrDirectory) || IsDotEntry(entry.name)) return true;
    std::string_view name(entry.name);
    if ((entry.attributes & kAttrReparsePoint) &&
        (!WriteAtNamePosition(path, kLongPathSize, namePosition, {name}) ||
         LeadsBackOntoPath(files)))
      return true;
    // A subdirectory whose path and pattern would not fit the path buffer
    // cannot be searched without cutting names; it is passed over.
    if (!WriteAtNamePosition(path, kLongPathSize, namePosition,
                             {name, "\\", searchState.savedPattern}))
      return true;
    SearchDirectory(files, sink, namePosition + name.size() + 1, false);
    return !searchState.stop.Stopped();
  });
  if (searchState.stop.Stopped() || status.code == 0) return;
  if (status.opened) return Fail(sink, status.code);
  if (status.code == kErrorFileNotFound || status.code == kErrorPathNotFound) return;
  if (topDirectory)
    Fail(sink, status.code);
  else
    ReportSkippedDirectory(sink, status.code);
}
