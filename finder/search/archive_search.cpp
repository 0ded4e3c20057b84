#include "finder/search/archive_search.h"

#include <algorithm>
#include <string>
#include <vector>

#include "finder/archive/buffered_byte_source.h"
#include "finder/search/archive_names.h"
#include "finder/search/file_system.h"
#include "finder/search/search_path.h"
#include "finder/search/search_sink.h"

void ListArchive(RunContext& run, FileSystem& files, SearchSink& sink, const ArchiveFormat& format,
                 std::size_t namePosition, std::string_view name) {
  // searchPath keeps the directory, whose last backslash places the
  // members' commands; an archive whose path does not fit is passed over.
  if (!WriteAtNamePosition(run.searchPath, kLongPathSize, namePosition, {name}) ||
      !WriteAtNamePosition(run.archivePath, kLongPathSize, 0, {run.searchPath}))
    return;
  // A file locked by another program is passed over without a word.
  files.OpenWith(run.archivePath, [&](ByteSource& file) {
    BufferedByteSource buffered(file);
    sink.ListArchive(format, buffered);
  });
}

void SearchArchives(RunContext& run, FileSystem& files, SearchSink& sink,
                    const ArchiveFormat& format, std::size_t namePosition, bool topDirectory) {
  // The listings' entries are kept first: opening an archive rewrites
  // searchPath, which a listing is started from. An archive that two of the
  // kind's names match is listed once.
  std::vector<std::string> found;
  ListingVerdict failed = ListingVerdict::Complete;
  std::uint32_t failure = 0;
  const std::string patterns(WantOf(run.options, format).pattern.view());
  for (std::string_view pattern : SplitArchiveNames(patterns)) {
    // A pattern that does not fit behind this directory could only be
    // searched cut short, which would open the wrong files.
    if (!WriteAtNamePosition(run.searchPath, kLongPathSize, namePosition, {pattern})) continue;
    ListingStatus status = files.ListEach(run.searchPath, [&](const FileEntry& entry) {
      if (!(entry.attributes & kAttrDirectory) &&
          std::find(found.begin(), found.end(), entry.name) == found.end())
        found.emplace_back(entry.name);
      return true;
    });
    const ListingVerdict verdict = JudgeListing(status, topDirectory);
    if (failed == ListingVerdict::Complete && verdict != ListingVerdict::Missing) {
      failed = verdict;
      failure = status.code;
    }
  }
  for (const std::string& name : found) {
    ListArchive(run, files, sink, format, namePosition, name);
    if (run.stop.Stopped()) return;
  }
  ReportListing(run.stop, sink.Errors(), failed, failure);
}
