// The depth-first walk over the directories of a search.
//
// Both work on the directory that stands in searchState.searchPath in front
// of `namePosition` and may overwrite the buffer from there on. A reason to
// end the run early (see run_stop.h) is recorded in searchState.stop, a
// system error with its "Error Code" line already written; they return as
// soon as searchState.stop.Stopped().
#pragma once

#include <cstddef>

class FileSystem;
class SearchSink;

// Lists the matching entries of one directory (with /O), runs its archive
// passes and, with /U or below the top, walks its subdirectories. A top
// directory that does not exist ends the run at once with status 0.
void SearchDirectory(FileSystem& files, SearchSink& sink, std::size_t namePosition,
                     bool topDirectory);

// Calls SearchDirectory for every subdirectory, in the order the platform
// enumerates them, each completely before the next. A subdirectory that
// cannot be opened is reported, remembered in searchState.stop (Note)
// and passed over.
void WalkSubdirectories(FileSystem& files, SearchSink& sink, std::size_t namePosition);
