// The LHA reader on the real output, with the local time of the C runtime,
// which follows the time zone of the system (or TZ).
#include "finder/archive/lzh_reader.h"

namespace {

bool RuntimeLocalTime(std::int64_t secondsSince1970, MemberClock* out) {
  const LocalDateTime local = StandardLocalTime(secondsSince1970);
  *out = {
      static_cast<int>(local.year), local.month, local.day, local.hour, local.minute, local.second};
  return true;
}

}  // namespace

void ListLzhMembers(ByteSource& file) {
  ListLzhMembers(file, StandardMemberSink(), RuntimeLocalTime, ToAnsiCodePage);
}
