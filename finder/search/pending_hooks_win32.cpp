// Stand-ins for the parts of the search that are still being built. Each
// definition leaves this file when its real one lands.
#include "finder/messages/summary_line.h"
#include "finder/search/archive_search.h"
#include "finder/search/command_runner.h"
#include "finder/search/console_paging.h"
#include "finder/search/listing_output.h"
#include "finder/search/program_lookup.h"

// finder/search/listing_output.h
void PrintDirectoryHeader(std::size_t) {}
void PrintEntryForm1(const FileEntry&) {}
void PrintEntryForm2(const FileEntry&) {}

// finder/search/console_paging.h
int QueryConsoleSize() {
  return 0;
}
void PagedOutput() {}
char ReadConsoleKey() {
  return 0;
}

// finder/messages/summary_line.h
void PrintSummaryLine() {}
void PrintFinishMessage() {}

// finder/search/archive_search.h
int SearchArchives(ArchiveKind, std::size_t) {
  return 0;
}

// finder/search/command_runner.h
void RunCommandForFile(const FileEntry&, std::size_t) {}
void RunCommandForMember(std::string_view) {}

// finder/search/program_lookup.h
void FindProgram() {}
