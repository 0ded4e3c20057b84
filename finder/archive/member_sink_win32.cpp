// The listing of archive members on the real standard output, with paging
// and the user's command.
#include <string>

#include "common/standard_streams.h"
#include "finder/archive/member_listing.h"
#include "finder/search/command_runner.h"
#include "finder/search/console_paging.h"
#include "finder/search/search_state.h"

namespace {

// Under /P a line is held until it is whole: the pause may have to come
// before it, when it would not fit in what is left of the page.
class StandardSink final : public MemberSink {
 public:
  void Write(std::string_view text) override {
    if (searchState.options.pausePerScreen)
      line_.append(text);
    else
      StdOut().Write(text);
  }
  void LineWritten() override {
    std::string_view line = line_;
    if (line.ends_with('\n')) line.remove_suffix(1);
    WritePagedLine(line);
    line_.clear();
  }
  void RunCommand(std::string_view memberName) override { RunCommandForMember(memberName); }
  bool Stopped() const override { return searchState.stop.Stopped(); }

 private:
  std::string line_;
};

}  // namespace

MemberSink& StandardMemberSink() {
  static StandardSink sink;
  return sink;
}
