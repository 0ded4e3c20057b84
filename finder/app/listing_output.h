// The table listings of forms 1 and 2 on standard output (each line counted
// for paging under /P; nothing under /N).
#pragma once

#include <cstddef>

#include "finder/records/run_context.h"

// The three header lines of the directory that stands in searchPath in front
// of `namePosition`.
void PrintDirectoryHeader(RunContext& run, std::size_t namePosition);
void PrintEntryForm1(SearchOptions& options, const FileEntry& entry);
void PrintEntryForm2(SearchOptions& options, const FileEntry& entry);
