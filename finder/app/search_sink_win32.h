// The search's sink on the real program: the criteria against the local
// clock, the listing on standard output with paging, the user's command and
// the archive readers.
#pragma once

#include "finder/app/member_sink_win32.h"
#include "finder/search/search_sink.h"

class ProgramSearchSink final : public SearchSink {
 public:
  explicit ProgramSearchSink(RunContext& run) : run_(run), members_(run) {}

  bool Selects(const FileEntry& entry) override;
  void Show(const FileEntry& entry, std::size_t namePosition, bool& headerShown) override;
  void RunCommand(const FileEntry& entry, std::size_t namePosition) override;
  void ListArchive(const ArchiveFormat& format, ByteSource& archive) override;
  TextWriter& Errors() override;

 private:
  RunContext& run_;
  StandardMemberSink members_;
};
