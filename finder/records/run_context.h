// The state of one run of TLVC: the settings record, the totals, the
// pattern and the fixed buffers that the walk rewrites in place. The entry
// makes one and passes it down; nothing else holds run state.
//
// `searchPath` holds the directory being searched followed by the name
// pattern; each level of the walk writes its own part from its name position
// (an index into `searchPath`) on, so code may rely only on the part in front
// of its own name position.
#pragma once

#include <cstddef>

#include "finder/records/run_stop.h"
#include "finder/records/search_options.h"

// The name pattern in the three forms member names are matched in.
struct SearchPattern {
  char text[kNameSize] = {};      // as typed, UTF-8
  char16_t wide[kPathSize] = {};  // in UTF-16, for member names in Unicode
  char ansi[kNameSize] = {};      // in the ANSI code page, for the others
};

struct RunContext {
  SearchOptions options;
  SearchTotals totals;
  SearchPattern pattern;
  char searchPath[kLongPathSize] = {};
  std::size_t topNamePosition = 0;       // behind the top directory's last backslash
  char archivePath[kLongPathSize] = {};  // full path of the archive being read
  CommandLineText expandedCommand;
  bool stdoutIsConsole = false;
  RunStop stop;
};
