// Running the user's command for each entry found.
#pragma once

#include <cstddef>
#include <string_view>

#include "finder/records/run_context.h"

// For a file or directory found by the walk or the PATH lookup: searchPath
// holds its directory up to `namePosition`. Expands the template, echoes it,
// asks under $Q and runs it in that directory.
void RunCommandForFile(RunContext& run, const FileEntry& entry, std::size_t namePosition);
// For an archive member: searchPath holds the archive's directory and the
// archive pattern, archivePath the archive. `memberName` is the name as the
// member line shows it.
void RunCommandForMember(RunContext& run, std::string_view memberName);
