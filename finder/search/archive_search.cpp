#include "finder/search/archive_search.h"

#include <string>
#include <vector>

#include "finder/archive/buffered_byte_source.h"
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
  const NameText& pattern = WantOf(run.options, format).pattern;
  // A pattern that does not fit behind this directory could only be searched
  // cut short, which would open the wrong files: there is nothing to search.
  if (!WriteAtNamePosition(run.searchPath, kLongPathSize, namePosition, {pattern.view()})) return;

  // The listing's entries are kept first: opening an archive rewrites
  // searchPath, which the listing was started from.
  std::vector<std::string> names;
  ListingStatus status = files.ListEach(run.searchPath, [&](const FileEntry& found) {
    if (!(found.attributes & kAttrDirectory)) names.emplace_back(found.name);
    return true;
  });
  for (const std::string& name : names) {
    ListArchive(run, files, sink, format, namePosition, name);
    if (run.stop.Stopped()) return;
  }
  ReportListing(run.stop, sink.Errors(), JudgeListing(status, topDirectory), status.code);
}
