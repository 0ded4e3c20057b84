// The directory walk on the file system's directory search. Name matching is
// the system's: every entry a listing of "directory\pattern" returns is a
// name match, so long and short names both match as the system decides.
#include "finder/search/directory_walk.h"

#include <cstring>
#include <string>
#include <string_view>

#include "finder/search/archive_search.h"
#include "finder/search/file_system.h"
#include "finder/search/path_identities.h"
#include "finder/search/search_path.h"
#include "finder/search/search_sink.h"
#include "finder/search/search_state.h"

namespace {

bool IsDotEntry(const char* name) {
  return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// One search over a tree: the run, where it reads and where it reports, and
// the directories of the current path for the link-loop guard.
struct Walk {
  RunContext& run;
  FileSystem& files;
  SearchSink& sink;
  PathIdentities pathIdentities;

  void SearchDirectory(std::size_t namePosition, bool topDirectory);
  void WalkSubdirectories(std::size_t namePosition);

  void Fail(std::uint32_t code) { run.stop.Fail(sink.Errors(), code); }

  // A subdirectory that cannot be opened (access denied, as the compatibility
  // junctions of every current Windows volume are) would otherwise end a
  // search over a whole volume at its first protected folder. It is reported
  // and passed over; the first such code becomes the run's exit status.
  void ReportSkippedDirectory(std::uint32_t code) { run.stop.Note(sink.Errors(), code); }

  // A level of the path: its directory as searchPath holds it in front of
  // `namePosition`, read as "directory\." so that a root keeps its backslash.
  bool ReadLevelIdentity(std::size_t namePosition, DirectoryIdentity& identity) {
    std::string path(run.searchPath, namePosition < kLongPathSize ? namePosition : 0);
    if (path.empty()) return false;
    path += '.';
    return files.Identity(path.c_str(), identity);
  }

  // The junction or symbolic link whose path stands in searchPath leads to a
  // directory on the current path.
  bool LeadsBackOntoPath() {
    DirectoryIdentity target;
    return files.Identity(run.searchPath, target) &&
           pathIdentities.IsOnPath(target,
                                   [this](std::size_t namePosition, DirectoryIdentity& identity) {
                                     return ReadLevelIdentity(namePosition, identity);
                                   });
  }

  bool ListOrdinaryEntries(std::size_t namePosition, bool topDirectory);
  bool SubdirectoryOpens(std::size_t namePosition);
};

// The entries of one directory that match the pattern and the criteria:
// listed, counted and given the command. False when the rest of this
// directory's work is void (it is not there or cannot be read).
bool Walk::ListOrdinaryEntries(std::size_t namePosition, bool topDirectory) {
  const SearchOptions& options = run.options;
  char* path = run.searchPath;
  // The caller made sure the pattern fits; the top directory holds it already.
  WriteAtNamePosition(path, kLongPathSize, namePosition, {run.pattern.text});

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
    CountAndRun(run, sink, entry, namePosition);
    return !run.stop.Stopped();
  });
  if (run.stop.Stopped()) return false;
  if (status.code == 0) return true;
  if (status.opened) {
    Fail(status.code);
    return false;
  }
  if (status.code == kErrorFileNotFound) return true;
  if (status.code == kErrorPathNotFound) {
    // The named directory does not exist: nothing to report, nothing to
    // sum up, and not a failure of the search.
    if (topDirectory) run.stop.Request(0);
    return false;
  }
  if (topDirectory)
    Fail(status.code);
  else
    ReportSkippedDirectory(status.code);
  return false;
}

// Without /O nothing has opened a subdirectory before its archive passes,
// which would end the run at the first one that cannot be read. One look at
// the directory tells; false when it is to be passed over (already reported).
bool Walk::SubdirectoryOpens(std::size_t namePosition) {
  if (!WriteAtNamePosition(run.searchPath, kLongPathSize, namePosition, {"*"})) return false;
  ListingStatus status = files.ListEach(run.searchPath, [](const FileEntry&) { return false; });
  if (status.opened) return true;
  if (status.code == kErrorFileNotFound || status.code == kErrorPathNotFound) return false;
  ReportSkippedDirectory(status.code);
  return false;
}

void Walk::SearchDirectory(std::size_t namePosition, bool topDirectory) {
  const SearchOptions& options = run.options;
  if (options.searchOrdinary) {
    if (!ListOrdinaryEntries(namePosition, topDirectory)) return;
  } else if (!topDirectory && AnyArchiveWanted(options)) {
    if (!SubdirectoryOpens(namePosition)) return;
  }

  for (const ArchiveFormat& format : kArchiveFormats) {
    if (!WantOf(options, format).wanted) continue;
    SearchArchives(run, files, sink, format, namePosition);
    if (run.stop.Stopped()) return;
  }

  if (topDirectory && !options.searchSubdirectories) return;
  WalkSubdirectories(namePosition);
}

void Walk::WalkSubdirectories(std::size_t namePosition) {
  PathIdentities::Level level(pathIdentities, namePosition);
  char* path = run.searchPath;
  bool topDirectory = namePosition == run.topNamePosition;
  if (!WriteAtNamePosition(path, kLongPathSize, namePosition, {"*"})) return;

  ListingStatus status = files.ListEach(path, [&](const FileEntry& entry) {
    if (!(entry.attributes & kAttrDirectory) || IsDotEntry(entry.name)) return true;
    std::string_view name(entry.name);
    if ((entry.attributes & kAttrReparsePoint) &&
        (!WriteAtNamePosition(path, kLongPathSize, namePosition, {name}) || LeadsBackOntoPath()))
      return true;
    // A subdirectory whose path and pattern would not fit the path buffer
    // cannot be searched without cutting names; it is passed over.
    if (!WriteAtNamePosition(path, kLongPathSize, namePosition, {name, "\\", run.pattern.text}))
      return true;
    SearchDirectory(namePosition + name.size() + 1, false);
    return !run.stop.Stopped();
  });
  if (run.stop.Stopped() || status.code == 0) return;
  if (status.opened) return Fail(status.code);
  if (status.code == kErrorFileNotFound || status.code == kErrorPathNotFound) return;
  if (topDirectory)
    Fail(status.code);
  else
    ReportSkippedDirectory(status.code);
}

}  // namespace

void CountAndRun(RunContext& run, SearchSink& sink, const FileEntry& entry,
                 std::size_t namePosition) {
  const SearchOptions& options = run.options;
  ++run.totals.count;
  if (options.form != 0) run.totals.bytes += entry.size;
  if (options.runCommand) {
    run.searchPath[namePosition] = '\0';
    sink.RunCommand(entry, namePosition);
  }
}

void SearchDirectory(RunContext& run, FileSystem& files, SearchSink& sink, std::size_t namePosition,
                     bool topDirectory) {
  Walk walk{run, files, sink, {}};
  walk.SearchDirectory(namePosition, topDirectory);
}
