// The state one run of TLVC shares between its parts: the settings record,
// the totals and the fixed buffers that the walk rewrites in place.
//
// `searchPath` holds the directory being searched followed by the name
// pattern; each level of the walk writes its own part from its name position
// (an index into `searchPath`) on, so code may rely only on the part in front
// of its own name position.
#pragma once

#include <cstddef>

#include "finder/options/search_options.h"
#include "finder/search/run_stop.h"

struct SearchState {
  SearchOptions options;
  SearchTotals totals;
  char searchPath[kLongPathSize] = {};
  std::size_t topNamePosition = 0;            // behind the top directory's last backslash
  char savedPattern[kNameSize] = {};          // the name pattern
  char16_t savedPatternWide[kPathSize] = {};  // the same in UTF-16, for member names in Unicode
  char savedPatternAnsi[kNameSize] = {};      // and in the ANSI code page, for the others
  char archivePath[kLongPathSize] = {};       // full path of the archive being read
  CommandLineText expandedCommand;
  bool stdoutIsConsole = false;
  RunStop stop;
};

extern SearchState searchState;
