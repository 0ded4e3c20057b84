// The LHA reader on the real output, with the local time of the C runtime,
// which follows the time zone of the system (or TZ).
#include <ctime>

#include "finder/archive/lzh_reader.h"

namespace {

bool RuntimeLocalTime(std::int64_t secondsSince1970, MemberClock* out) {
  std::time_t when = static_cast<std::time_t>(secondsSince1970);
  const std::tm* local = std::localtime(&when);
  if (!local) return false;
  out->year = local->tm_year + 1900;
  out->month = local->tm_mon + 1;
  out->day = local->tm_mday;
  out->hour = local->tm_hour;
  out->minute = local->tm_min;
  out->second = local->tm_sec;
  return true;
}

}  // namespace

void ListLzhMembers(ByteSource& file) {
  ListLzhMembers(file, StandardMemberSink(), RuntimeLocalTime, ToAnsiCodePage);
}
