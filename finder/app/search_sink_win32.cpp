#include "finder/app/search_sink_win32.h"

#include "common/standard_streams.h"
#include "finder/app/command_runner.h"
#include "finder/app/console_paging.h"
#include "finder/app/listing_output.h"
#include "finder/records/entry_filter.h"

bool ProgramSearchSink::Selects(const FileEntry& entry) {
  return MatchesCriteria(run_.options, entry);
}

void ProgramSearchSink::Show(const FileEntry& entry, std::size_t namePosition, bool& headerShown) {
  SearchOptions& options = run_.options;
  if (options.form == 0) {
    if (options.pausePerScreen) return WritePagedLine(options, run_.searchPath);
    StdOut().Write(run_.searchPath);
    StdOut().Put('\n');
    return;
  }
  if (!headerShown) {
    PrintDirectoryHeader(run_, namePosition);
    headerShown = true;
  }
  if (options.form == 1)
    PrintEntryForm1(options, entry);
  else
    PrintEntryForm2(options, entry);
}

void ProgramSearchSink::RunCommand(const FileEntry& entry, std::size_t namePosition) {
  RunCommandForFile(run_, entry, namePosition);
}

void ProgramSearchSink::ListArchive(const ArchiveFormat& format, ByteSource& archive) {
  ListStandardMembers(run_, members_, format, archive);
}

TextWriter& ProgramSearchSink::Errors() {
  return StdErr();
}
