#include <windows.h>

#include <cstring>

#include "common/standard_streams.h"
#include "finder/app/console_paging.h"
#include "finder/app/listing_output.h"
#include "finder/listing/listing_lines.h"
#include "finder/records/file_entry_win32.h"
#include "finder/records/run_context.h"

namespace {

// The last-write time as the user's clock showed it, as the criteria
// compare it.
DosDateTime LocalStamp(std::uint64_t lastWriteTime) {
  return FileDosDateTime(LocalFileTime(lastWriteTime));
}

void WriteListingLine(SearchOptions& options, std::string_view line) {
  if (options.pausePerScreen) return WritePagedLine(options, line);
  StdOut().Write(line);
  StdOut().Put('\n');
}

}  // namespace

void PrintDirectoryHeader(RunContext& run, std::size_t namePosition) {
  SearchOptions& options = run.options;
  if (options.noEcho) return;
  std::size_t length = strnlen(run.searchPath, sizeof run.searchPath);
  std::string_view directory(run.searchPath, namePosition < length ? namePosition : length);
  HeaderLine header = DirectoryHeaderLine(directory, options.japanese);
  if (options.pausePerScreen) {
    // Each of the three lines counts towards the page.
    WriteListingLine(options, "");
    WriteListingLine(options, header.view());
    WriteListingLine(options, "");
  } else {
    StdOut().Put('\n');
    StdOut().Write(header.view());
    StdOut().Write("\n\n");
  }
}

void PrintEntryForm1(SearchOptions& options, const FileEntry& entry) {
  if (options.noEcho) return;
  WriteListingLine(options, BuildForm1Line(entry, LocalStamp(entry.lastWriteTime)).view());
}

void PrintEntryForm2(SearchOptions& options, const FileEntry& entry) {
  if (options.noEcho) return;
  WriteListingLine(options, BuildForm2Line(entry, LocalStamp(entry.lastWriteTime)).view());
}
