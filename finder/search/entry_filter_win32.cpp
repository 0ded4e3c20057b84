#include <windows.h>

#include "finder/search/entry_filter.h"
#include "finder/search/search_state.h"

bool MatchesCriteria(const FileEntry& entry) {
  const SearchOptions& options = searchState.options;
  if (options.dateMode == RangeMode::None && options.timeMode == RangeMode::None)
    return MatchesCriteria(options, entry.attributes, entry.size, nullptr);
  FILETIME utc, local;
  utc.dwLowDateTime = static_cast<DWORD>(entry.lastWriteTime);
  utc.dwHighDateTime = static_cast<DWORD>(entry.lastWriteTime >> 32);
  DosDateTime stamp;
  bool stamped =
      FileTimeToLocalFileTime(&utc, &local) &&
      PackDosDateTime(
          (static_cast<std::uint64_t>(local.dwHighDateTime) << 32) | local.dwLowDateTime, stamp);
  return MatchesCriteria(options, entry.attributes, entry.size, stamped ? &stamp : nullptr);
}
