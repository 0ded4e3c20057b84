// The listing of archive members on the real standard output, with paging
// and the user's command, and the local time of the C runtime, which follows
// the time zone of the system (or TZ).
#include <string>

#include "common/standard_streams.h"
#include "finder/archive/archive_format.h"
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

bool RuntimeLocalTime(std::int64_t secondsSince1970, MemberClock* out) {
  const LocalDateTime local = StandardLocalTime(secondsSince1970);
  *out = {
      static_cast<int>(local.year), local.month, local.day, local.hour, local.minute, local.second};
  return true;
}

}  // namespace

const MemberReading& StandardMemberReading() {
  static StandardSink sink;
  static const MemberReading reading{sink, RuntimeLocalTime, FromOemCodePage};
  return reading;
}
