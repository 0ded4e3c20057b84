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
// next, in the order the platform enumerates them. A top directory that
// cannot be read or does not exist is reported and ends the run at once with
// the system's code. A subdirectory that cannot be opened is reported,
// remembered in run.stop (Note) and passed over; one that has gone is passed
// over quietly.
void SearchDirectory(RunContext& run, FileSystem& files, SearchSink& sink, std::size_t namePosition,
                     bool topDirectory);
