// The listing of archive members on the real standard output, with paging
// and the user's command.
#include "common/standard_streams.h"
#include "finder/archive/member_listing.h"
#include "finder/search/command_runner.h"
#include "finder/search/console_paging.h"

namespace {

class StandardSink final : public MemberSink {
 public:
  void Write(std::string_view text) override { StdOut().Write(text); }
  void LineWritten() override { PagedOutput(); }
  void RunCommand(std::string_view memberName) override { RunCommandForMember(memberName); }
};

}  // namespace

MemberSink& StandardMemberSink() {
  static StandardSink sink;
  return sink;
}
