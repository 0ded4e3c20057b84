// The directory walk on the file system's directory search. A directory is
// listed at most twice: once for the pattern, whose matching is the system's
// (long and short names both match as the system decides), and once whole,
// for its archives of every kind and its subdirectories (archive_names.h).
#include "finder/search/directory_walk.h"

#include <array>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "finder/records/run_context.h"
#include "finder/search/archive_names.h"
#include "finder/search/archive_search.h"
#include "finder/search/file_system.h"
#include "finder/search/path_identities.h"
#include "finder/search/search_path.h"
#include "finder/search/search_sink.h"

namespace {

bool IsDotEntry(const char* name) {
  return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// What the whole listing of one directory found: each wanted kind's archives
// and the subdirectories, each in the system's order.
struct DirectoryContents {
  std::array<std::vector<std::string>, kArchiveKindLimit> archives;
  struct Subdirectory {
    std::string name;
    bool link = false;  // a junction or a symbolic link
  };
  std::vector<Subdirectory> subdirectories;
};

// One search over a tree: the run, where it reads and where it reports, and
// the directories of the current path for the link-loop guard.
struct Walk {
  RunContext& run;
  FileSystem& files;
  SearchSink& sink;
  PathIdentities pathIdentities;
  // The archive names of each kind, prepared once for the run.
  std::vector<ArchiveNames> archiveNames;

  void SearchDirectory(std::size_t namePosition, bool topDirectory);

  // A subdirectory that cannot be opened (access denied, as the compatibility
  // junctions of every current Windows volume are) would otherwise end a
  // search over a whole volume at its first protected folder: JudgeListing
  // has it reported and passed over, the first such code the run's status.
  void Report(ListingVerdict verdict, std::uint32_t code) {
    ReportListing(run.stop, sink.Errors(), verdict, code);
  }

  // A level of the path: its directory as searchPath holds it in front of
  // `namePosition`, read as "directory\." so that a root keeps its backslash.
  bool ReadLevelIdentity(std::size_t namePosition, DirectoryIdentity& identity) {
    if (namePosition == 0 || namePosition >= kLongPathSize) return false;
    std::string path(run.searchPath, namePosition);
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
  bool ListContents(std::size_t namePosition, bool topDirectory, bool withSubdirectories,
                    DirectoryContents& contents);
  void WalkSubdirectories(std::size_t namePosition, const DirectoryContents& contents);
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
  const ListingVerdict verdict = JudgeListing(status, topDirectory);
  if (verdict == ListingVerdict::Complete) return true;
  // No entry matches: the archives and subdirectories are still to be seen.
  if (!status.opened && status.code == kErrorFileNotFound) return true;
  Report(verdict, status.code);
  return false;
}

// Lists the whole directory once, keeping the archives each wanted kind
// decides on in the core and, when asked, the subdirectories. False when the
// rest of this directory's work is void.
bool Walk::ListContents(std::size_t namePosition, bool topDirectory, bool withSubdirectories,
                        DirectoryContents& contents) {
  if (!WriteAtNamePosition(run.searchPath, kLongPathSize, namePosition, {"*"})) return false;
  ListingStatus status = files.ListEach(run.searchPath, [&](const FileEntry& entry) {
    if (entry.attributes & kAttrDirectory) {
      if (withSubdirectories && !IsDotEntry(entry.name))
        contents.subdirectories.push_back(
            {entry.name, (entry.attributes & kAttrReparsePoint) != 0});
      // A directory that matches an archive pattern could not be opened.
      return true;
    }
    for (std::size_t kind = 0; kind < kArchiveFormats.size(); ++kind) {
      const ArchiveNames& names = archiveNames[kind];
      if (run.options.archives[kind].wanted && names.decided() && names.Match(entry))
        contents.archives[kind].emplace_back(entry.name);
    }
    return true;
  });
  const ListingVerdict verdict = JudgeListing(status, topDirectory);
  if (verdict == ListingVerdict::Complete) return true;
  Report(verdict, status.code);
  return false;
}

void Walk::WalkSubdirectories(std::size_t namePosition, const DirectoryContents& contents) {
  PathIdentities::Level level(pathIdentities, namePosition);
  char* path = run.searchPath;
  for (const DirectoryContents::Subdirectory& subdirectory : contents.subdirectories) {
    const std::string_view name = subdirectory.name;
    if (subdirectory.link &&
        (!WriteAtNamePosition(path, kLongPathSize, namePosition, {name}) || LeadsBackOntoPath()))
      continue;
    // A subdirectory whose path and pattern would not fit the path buffer
    // cannot be searched without cutting names; it is passed over.
    if (!WriteAtNamePosition(path, kLongPathSize, namePosition, {name, "\\", run.pattern.text}))
      continue;
    SearchDirectory(namePosition + name.size() + 1, false);
    if (run.stop.Stopped()) return;
  }
}

void Walk::SearchDirectory(std::size_t namePosition, bool topDirectory) {
  const SearchOptions& options = run.options;
  if (options.searchOrdinary && !ListOrdinaryEntries(namePosition, topDirectory)) return;

  const bool withSubdirectories = !topDirectory || options.searchSubdirectories;
  bool anyDecided = false;
  for (std::size_t kind = 0; kind < kArchiveFormats.size(); ++kind)
    anyDecided = anyDecided || (options.archives[kind].wanted && archiveNames[kind].decided());
  // A run that searches nothing still lists its top directory once, so that
  // one that is not there is reported as in every other run.
  const bool topUnlisted = topDirectory && !options.searchOrdinary && !AnyArchiveWanted(options);
  DirectoryContents contents;
  if ((withSubdirectories || anyDecided || topUnlisted) &&
      !ListContents(namePosition, topDirectory, withSubdirectories, contents))
    return;

  for (std::size_t kind = 0; kind < kArchiveFormats.size(); ++kind) {
    if (!options.archives[kind].wanted) continue;
    const ArchiveFormat& format = kArchiveFormats[kind];
    if (archiveNames[kind].decided()) {
      for (const std::string& name : contents.archives[kind]) {
        ListArchive(run, files, sink, format, namePosition, name);
        if (run.stop.Stopped()) return;
      }
    } else {
      SearchArchives(run, files, sink, format, namePosition, topDirectory);
    }
    if (run.stop.Stopped()) return;
  }

  if (withSubdirectories) WalkSubdirectories(namePosition, contents);
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
  Walk walk{run, files, sink, {}, {}};
  for (std::size_t kind = 0; kind < kArchiveFormats.size(); ++kind)
    walk.archiveNames.emplace_back(run.options.archives[kind].pattern.view());
  walk.SearchDirectory(namePosition, topDirectory);
}
