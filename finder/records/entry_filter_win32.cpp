#include <windows.h>

#include "finder/records/entry_filter.h"
#include "finder/records/file_entry_win32.h"

bool MatchesCriteria(const SearchOptions& options, const FileEntry& entry) {
  if (options.dateMode == RangeMode::None && options.timeMode == RangeMode::None)
    return MatchesCriteria(options, entry.attributes, entry.size, nullptr);
  DosDateTime stamp;
  bool stamped = PackDosDateTime(LocalFileTime(entry.lastWriteTime), stamp);
  return MatchesCriteria(options, entry.attributes, entry.size, stamped ? &stamp : nullptr);
}
