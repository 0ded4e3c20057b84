#include <windows.h>

#include "finder/records/entry_filter.h"
#include "finder/records/file_entry_win32.h"

bool MatchesCriteria(const SearchOptions& options, const FileEntry& entry) {
  if (options.dateMode == RangeMode::None && options.timeMode == RangeMode::None)
    return MatchesCriteria(options, entry.attributes, entry.size, nullptr);
  const DosDateTime stamp = FileDosDateTime(LocalFileTime(entry.lastWriteTime));
  return MatchesCriteria(options, entry.attributes, entry.size, &stamp);
}
