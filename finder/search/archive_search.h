// Opening the archives of one directory and handing each to its reader.
#pragma once

#include <cstddef>
#include <string_view>

#include "finder/archive/archive_format.h"

class FileSystem;
class SearchSink;

// Lists the matching members of the archive `name` in the directory that
// stands in searchPath in front of `namePosition`. What cannot be opened is
// passed over without a word. A failed output stops the run (run.stop).
void ListArchive(RunContext& run, FileSystem& files, SearchSink& sink, const ArchiveFormat& format,
                 std::size_t namePosition, std::string_view name);

// The same for every archive the system's listing of the kind's pattern gives
// in that directory: for the patterns the walk's own matching does not
// decide. A listing that fails is reported (JudgeListing).
void SearchArchives(RunContext& run, FileSystem& files, SearchSink& sink,
                    const ArchiveFormat& format, std::size_t namePosition, bool topDirectory);
