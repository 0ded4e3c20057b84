// The listing of archive members on the real standard output.
#pragma once

#include <string>

#include "finder/archive/archive_format.h"
#include "finder/listing/member_lines.h"

// Writes to standard output, with paging under /P, and runs the user's
// command for a member.
class StandardMemberSink final : public MemberSink {
 public:
  explicit StandardMemberSink(RunContext& run) : run_(run) {}
  void Write(std::string_view text) override;
  void LineWritten() override;
  void RunCommand(std::string_view memberName) override;
  bool Stopped() const override { return run_.stop.Stopped(); }

 private:
  RunContext& run_;
  // Under /P a line is held until it is whole: the pause may have to come
  // before it, when it would not fit in what is left of the page.
  std::string line_;
};

// Lists the members of one archive on the real program: into `sink`, with
// the C runtime's local time and the OEM code page.
void ListStandardMembers(RunContext& run, MemberSink& sink, const ArchiveFormat& format,
                         ByteSource& archive);
