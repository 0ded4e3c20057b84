// The search's sink on the real program: the criteria against the local
// clock, the listing on standard output with paging, the user's command and
// the archive readers.
#pragma once

#include "finder/search/search_sink.h"

SearchSink& ProgramSearchSink();
