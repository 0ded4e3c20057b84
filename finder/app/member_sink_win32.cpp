// The listing of archive members on the real standard output, with paging
// and the user's command, and the local time of the C runtime, which follows
// the time zone of the system (or TZ).
#include "finder/app/member_sink_win32.h"

#include "common/standard_streams.h"
#include "finder/app/command_runner.h"
#include "finder/app/console_paging.h"

void StandardMemberSink::Write(std::string_view text) {
  if (run_.options.pausePerScreen)
    line_.append(text);
  else
    StdOut().Write(text);
}

void StandardMemberSink::LineWritten() {
  std::string_view line = line_;
  if (line.ends_with('\n')) line.remove_suffix(1);
  WritePagedLine(run_.options, line);
  line_.clear();
}

void StandardMemberSink::RunCommand(std::string_view memberName) {
  RunCommandForMember(run_, memberName);
}

namespace {

bool RuntimeLocalTime(std::int64_t secondsSince1970, CalendarTime* out) {
  *out = StandardLocalTime(secondsSince1970);
  return true;
}

}  // namespace

void ListStandardMembers(RunContext& run, MemberSink& sink, const ArchiveFormat& format,
                         ByteSource& archive) {
  MemberListing listing(run, sink, format.style);
  ListArchiveMembers(format, archive, {listing, RuntimeLocalTime, FromOemCodePage, FromCodePage});
}
