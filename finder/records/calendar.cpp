#include "finder/records/calendar.h"

#include <ctime>

namespace {

constexpr std::uint64_t kFileTimeStepsPerSecond = 10000000;
constexpr std::int64_t kFileTimeTo1970 = 11644473600;  // seconds from 1601 to 1970

bool ConvertToLocal(std::time_t value, std::tm& fields) {
#ifdef _WIN32
  return localtime_s(&fields, &value) == 0;
#else
  return localtime_r(&value, &fields) != nullptr;
#endif
}

}  // namespace

// The era arithmetic of H. Hinnant's civil calendar algorithms: 400-year
// eras that start on 1 March.
std::int64_t DaysFromCivil(std::int64_t year, int month, std::int64_t day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(std::int64_t days, std::int64_t& year, int& month, int& day) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t shifted = (5 * dayOfYear + 2) / 153;  // March is 0
  day = static_cast<int>(dayOfYear - (153 * shifted + 2) / 5 + 1);
  month = static_cast<int>(shifted < 10 ? shifted + 3 : shifted - 9);
  year = yearOfEra + era * 400 + (month <= 2);
}

CalendarTime UtcDateTime(std::int64_t seconds) {
  std::int64_t days = seconds / 86400;
  std::int64_t rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  CalendarTime result;
  CivilFromDays(days, result.year, result.month, result.day);
  result.hour = static_cast<int>(rest / 3600);
  result.minute = static_cast<int>(rest / 60 % 60);
  result.second = static_cast<int>(rest % 60);
  return result;
}

CalendarTime StandardLocalTime(std::int64_t seconds) {
  const std::time_t value = static_cast<std::time_t>(seconds);
  std::tm fields{};
  // The runtimes refuse values before 1970 (Windows) or beyond their year
  // range; such values only arise from long relative steps and damaged
  // stamps, whose zone offset no longer matters.
  if (static_cast<std::int64_t>(value) != seconds || !ConvertToLocal(value, fields))
    return UtcDateTime(seconds);
  CalendarTime result;
  result.year = static_cast<std::int64_t>(fields.tm_year) + 1900;
  result.month = fields.tm_mon + 1;
  result.day = fields.tm_mday;
  result.hour = fields.tm_hour;
  result.minute = fields.tm_min;
  result.second = fields.tm_sec > 59 ? 59 : fields.tm_sec;
  return result;
}

std::int64_t SecondsFromFileTime(std::uint64_t fileTime) {
  return static_cast<std::int64_t>(fileTime / kFileTimeStepsPerSecond) - kFileTimeTo1970;
}

CalendarTime FileTimeFields(std::uint64_t fileTime) {
  return UtcDateTime(SecondsFromFileTime(fileTime));
}

DosDateTime PackDosFields(const CalendarTime& time, unsigned yearBits) {
  const auto years = static_cast<unsigned>(time.year - 1980) & ((1u << yearBits) - 1);
  return {PackDosDate(years, static_cast<unsigned>(time.month), static_cast<unsigned>(time.day)),
          PackDosTime(static_cast<unsigned>(time.hour), static_cast<unsigned>(time.minute),
                      static_cast<unsigned>(time.second))};
}

CalendarTime UnpackDosDateTime(DosDateTime stamp, unsigned yearBits) {
  CalendarTime fields;
  fields.year = 1980 + ((stamp.date >> 9) & ((1u << yearBits) - 1));
  fields.month = (stamp.date >> 5) & 0x0F;
  fields.day = stamp.date & 0x1F;
  fields.hour = stamp.time >> 11;
  fields.minute = (stamp.time >> 5) & 0x3F;
  fields.second = (stamp.time & 0x1F) * 2;
  return fields;
}

CalendarTime NearestDosMoment(const CalendarTime& moment) {
  if (moment.year < 1980) return {1980, 1, 1, 0, 0, 0};
  if (moment.year > 2107) return {2107, 12, 31, 23, 59, 58};
  return moment;
}

DosDateTime NearestDosDateTime(const CalendarTime& moment) {
  return PackDosFields(NearestDosMoment(moment), kDosYearBits);
}

DosDateTime FileDosDateTime(std::uint64_t localFileTime) {
  return NearestDosDateTime(FileTimeFields(localFileTime));
}

DosDateTime MemberDosDateTime(const CalendarTime& moment) {
  return PackDosFields(NearestDosMoment(moment), kMemberYearBits);
}
