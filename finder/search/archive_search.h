// The archive passes of one directory (/L, /Z, /C).
#pragma once

#include <cstddef>

#include "finder/archive/archive_format.h"

class FileSystem;
class SearchSink;

// Finds the archives of one format in the directory that stands in searchPath
// in front of `namePosition`, and lists each one's matching members. A system
// error is reported and stops the run (run.stop); so does a failed output,
// after which no further archive is opened.
void SearchArchives(RunContext& run, FileSystem& files, SearchSink& sink,
                    const ArchiveFormat& format, std::size_t namePosition);
