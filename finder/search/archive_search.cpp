// The archive passes of one directory: find the archives of one format with
// the directory search, open each and hand it to its reader.
#include "finder/search/archive_search.h"

#include <cstring>

#include "finder/archive/buffered_byte_source.h"
#include "finder/search/file_system.h"
#include "finder/search/search_sink.h"
#include "finder/search/search_state.h"

void SearchArchives(FileSystem& files, SearchSink& sink, const ArchiveFormat& format,
                    std::size_t namePosition) {
  SearchState& state = searchState;
  const NameText& pattern = state.options.*format.pattern;
  // A pattern that does not fit behind this directory could only be searched
  // cut short, which would open the wrong files: there is nothing to search.
  if (namePosition >= kLongPathSize || pattern.size() >= kLongPathSize - namePosition) return;
  std::memcpy(state.searchPath + namePosition, pattern.c_str(), pattern.size() + 1);

  ListingStatus status = files.ListEach(state.searchPath, [&](const FileEntry& found) {
    std::size_t nameLength = std::strlen(found.name);
    if (nameLength >= kLongPathSize - namePosition) return true;
    std::memcpy(state.archivePath, state.searchPath, namePosition);
    std::memcpy(state.archivePath + namePosition, found.name, nameLength);
    state.archivePath[namePosition + nameLength] = '\0';
    // What cannot be opened (a directory that matches the pattern, a file
    // locked by another program) is passed over without a word.
    files.OpenWith(state.archivePath, [&](ByteSource& file) {
      BufferedByteSource buffered(file);
      sink.ListArchive(format, buffered);
    });
    return !state.stop.Stopped();
  });
  if (state.stop.Stopped() || status.code == 0) return;
  if (!status.opened && (status.code == kErrorFileNotFound || status.code == kErrorPathNotFound))
    return;
  state.stop.Fail(sink.Errors(), status.code);
}
