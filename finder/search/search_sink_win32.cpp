#include "finder/search/search_sink_win32.h"

#include "common/standard_streams.h"
#include "finder/archive/archive_format.h"
#include "finder/search/command_runner.h"
#include "finder/search/console_paging.h"
#include "finder/search/entry_filter.h"
#include "finder/search/listing_output.h"
#include "finder/search/search_state.h"

namespace {

class ProgramSink final : public SearchSink {
 public:
  bool Selects(const FileEntry& entry) override { return MatchesCriteria(entry); }

  void Show(const FileEntry& entry, std::size_t namePosition, bool& headerShown) override {
    const SearchOptions& options = searchState.options;
    if (options.form == 0) {
      if (options.pausePerScreen) return WritePagedLine(searchState.searchPath);
      StdOut().Write(searchState.searchPath);
      StdOut().Put('\n');
      return;
    }
    if (!headerShown) {
      PrintDirectoryHeader(namePosition);
      headerShown = true;
    }
    if (options.form == 1)
      PrintEntryForm1(entry);
    else
      PrintEntryForm2(entry);
  }

  void RunCommand(const FileEntry& entry, std::size_t namePosition) override {
    RunCommandForFile(entry, namePosition);
  }

  void ListArchive(const ArchiveFormat& format, ByteSource& archive) override {
    ListArchiveMembers(format, archive, StandardMemberReading());
  }

  TextWriter& Errors() override { return StdErr(); }
};

}  // namespace

SearchSink& ProgramSearchSink() {
  static ProgramSink sink;
  return sink;
}
