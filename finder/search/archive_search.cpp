// The archive passes of one directory: find the archives of one format with
// the directory search, open each and hand it to its reader.
#include "finder/search/archive_search.h"

#include <cstring>

#include "finder/archive/buffered_byte_source.h"
#include "finder/search/file_system.h"
#include "finder/search/search_sink.h"
#include "finder/search/search_state.h"

void SearchArchives(RunContext& run, FileSystem& files, SearchSink& sink,
                    const ArchiveFormat& format, std::size_t namePosition) {
  const NameText& pattern = WantOf(run.options, format).pattern;
  // A pattern that does not fit behind this directory could only be searched
  // cut short, which would open the wrong files: there is nothing to search.
  if (namePosition >= kLongPathSize || pattern.size() >= kLongPathSize - namePosition) return;
  std::memcpy(run.searchPath + namePosition, pattern.c_str(), pattern.size() + 1);

  ListingStatus status = files.ListEach(run.searchPath, [&](const FileEntry& found) {
    std::size_t nameLength = std::strlen(found.name);
    if (nameLength >= kLongPathSize - namePosition) return true;
    std::memcpy(run.archivePath, run.searchPath, namePosition);
    std::memcpy(run.archivePath + namePosition, found.name, nameLength);
    run.archivePath[namePosition + nameLength] = '\0';
    // What cannot be opened (a directory that matches the pattern, a file
    // locked by another program) is passed over without a word.
    files.OpenWith(run.archivePath, [&](ByteSource& file) {
      BufferedByteSource buffered(file);
      sink.ListArchive(format, buffered);
    });
    return !run.stop.Stopped();
  });
  if (run.stop.Stopped() || status.code == 0) return;
  if (!status.opened && (status.code == kErrorFileNotFound || status.code == kErrorPathNotFound))
    return;
  run.stop.Fail(sink.Errors(), status.code);
}
