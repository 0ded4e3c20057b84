// The depth-first walk over the directories of a search.
//
// It works on the directory that stands in run.searchPath in front of
// `namePosition` and may overwrite the buffer from there on. A reason to end
// the run early (see run_stop.h) is recorded in run.stop, a system error with
// its "Error Code" line already written; the walk returns as soon as
// run.stop.Stopped().
#pragma once

#include <cstddef>

class FileSystem;
class SearchSink;
struct RunContext;

// Lists the matching entries of one directory (with /O), runs its archive
// passes and, with /U, walks its subdirectories, each completely before the
// next, in the order the platform enumerates them. A top directory that does
// not exist ends the run at once with status 0. A subdirectory that cannot be
// opened is reported, remembered in run.stop (Note) and passed over.
void SearchDirectory(RunContext& run, FileSystem& files, SearchSink& sink, std::size_t namePosition,
                     bool topDirectory);
