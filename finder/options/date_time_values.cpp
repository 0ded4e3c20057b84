#include "finder/options/date_time_values.h"

namespace {

// Counts and fields saturate here: far beyond any date that packs, and small
// enough that count x 86400 and the calendar arithmetic stay in 64 bits.
constexpr std::int64_t kNumberLimit = 1000000000;

char At(std::string_view text, std::size_t position) {
  return position < text.size() ? text[position] : '\0';
}

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// A missing number reads as 0, as the runtime's decimal reading gives.
std::int64_t ReadNumber(std::string_view text, std::size_t& position) {
  std::int64_t value = 0;
  while (IsDigit(At(text, position))) {
    value = value * 10 + (text[position] - '0');
    if (value > kNumberLimit) value = kNumberLimit;
    ++position;
  }
  return value;
}

int DaysInMonth(std::int64_t year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

// Reads a step's sign: "+" counts ahead; "-" and no sign count back.
bool ReadForward(std::string_view text, std::size_t& position) {
  const char sign = At(text, position);
  if (sign == '+' || sign == '-') ++position;
  return sign == '+';
}

ValueError ParseRelativeDate(std::string_view text, std::size_t& position, std::uint16_t& date,
                             const ValueClock& clock) {
  const CalendarTime start = clock.localTime(clock.startTime);
  std::int64_t year = start.year;
  int monthIndex = start.month - 1;
  std::int64_t day = start.day;

  for (;;) {
    const char letter = Upper(At(text, position));
    if (letter != 'Y' && letter != 'M' && letter != 'D') break;
    ++position;
    const bool forward = ReadForward(text, position);
    const std::int64_t count = ReadNumber(text, position);
    if (letter == 'D') {
      // Days move the calendar date itself, so that earlier Y and M steps
      // stay; a day that an M or Y step left beyond its month's end (31
      // February) counts as that month's last day.
      const int length = DaysInMonth(year, monthIndex + 1);
      const std::int64_t from = day > length ? length : day;
      int month = 0, newDay = 0;
      CivilFromDays(DaysFromCivil(year, monthIndex + 1, from) + (forward ? count : -count), year,
                    month, newDay);
      monthIndex = month - 1;
      day = newDay;
    } else if (letter == 'M') {
      const int rest = static_cast<int>(count % 12);
      if (forward) {
        year += count / 12;
        monthIndex += rest;
        if (monthIndex > 11) {
          ++year;
          monthIndex -= 12;
        }
      } else {
        year -= count / 12;
        if (rest > monthIndex) {
          --year;
          monthIndex = monthIndex + 12 - rest;
        } else {
          monthIndex -= rest;
        }
      }
    } else if (forward) {
      year += count;
    } else {
      year -= count;
      if (year < 1900) year = 1900;
    }
  }

  std::int64_t offset = year - 1980;
  if (offset > 63) return ValueError::kYear;
  // A date before 1980 has no packed form; the earliest one stands for it,
  // as the absolute form does for the years 100 to 1979.
  if (offset < 0) offset = 0;
  date = PackDosDate(static_cast<unsigned>(offset), static_cast<unsigned>(monthIndex + 1),
                     static_cast<unsigned>(day));
  return ValueError::kNone;
}

// The absolute forms write the packed word field by field: each field read
// goes into the word at once, so that a value refused later keeps it.
ValueError ParseAbsoluteDate(std::string_view text, std::size_t& position, std::uint16_t& date) {
  CalendarTime fields = UnpackDosDateTime({date, 0}, kDosYearBits);
  const std::int64_t year = ReadNumber(text, position);
  std::int64_t offset;
  if (year < 80)
    offset = year + 20;
  else if (year < 100)
    offset = year - 80;
  else if (year < 1980)
    offset = 0;
  else
    offset = year - 1980;
  if (offset > 63) return ValueError::kYear;
  fields.year = 1980 + offset;
  date = PackDosFields(fields, kDosYearBits).date;

  if (At(text, position) != '/' || At(text, position + 1) == '\0') return ValueError::kInvalidDate;
  ++position;
  const std::int64_t month = ReadNumber(text, position);
  if (month > 15) return ValueError::kInvalidDate;
  fields.month = static_cast<int>(month);
  date = PackDosFields(fields, kDosYearBits).date;

  if (At(text, position) != '/' || At(text, position + 1) == '\0') return ValueError::kInvalidDate;
  ++position;
  const std::int64_t day = ReadNumber(text, position);
  if (day > 31) return ValueError::kInvalidDate;
  fields.day = static_cast<int>(day);
  date = PackDosFields(fields, kDosYearBits).date;
  return ValueError::kNone;
}

ValueError ParseRelativeTime(std::string_view text, std::size_t& position, std::uint16_t& time,
                             const ValueClock& clock) {
  std::int64_t value = clock.startTime;
  for (;;) {
    const char letter = Upper(At(text, position));
    const std::int64_t unit = letter == 'H' ? 3600 : letter == 'M' ? 60 : letter == 'S' ? 1 : 0;
    if (unit == 0) break;
    ++position;
    const bool forward = ReadForward(text, position);
    const std::int64_t count = ReadNumber(text, position);
    value += (forward ? count : -count) * unit;
  }
  time = PackDosFields(clock.localTime(value), kDosYearBits).time;
  return ValueError::kNone;
}

ValueError ParseAbsoluteTime(std::string_view text, std::size_t& position, std::uint16_t& time) {
  CalendarTime fields = UnpackDosDateTime({0, time}, kDosYearBits);
  const std::int64_t hour = ReadNumber(text, position);
  if (hour > 31) return ValueError::kHour;
  fields.hour = static_cast<int>(hour);
  time = PackDosFields(fields, kDosYearBits).time;

  if (At(text, position) != ':' || At(text, position + 1) == '\0') return ValueError::kInvalidDate;
  ++position;
  const std::int64_t minute = ReadNumber(text, position);
  if (minute > 63) return ValueError::kMinute;
  fields.minute = static_cast<int>(minute);
  time = PackDosFields(fields, kDosYearBits).time;

  // Without a second ":" the seconds of an earlier value stay, as every
  // field the text does not give.
  if (At(text, position) != ':') return ValueError::kNone;
  ++position;
  const std::int64_t second = At(text, position) == '\0' ? 0 : ReadNumber(text, position);
  if (second > 63) return ValueError::kSecond;
  fields.second = static_cast<int>(second);
  time = PackDosFields(fields, kDosYearBits).time;
  return ValueError::kNone;
}

}  // namespace

ValueError ParseDateValue(std::string_view text, std::size_t& position, std::uint16_t& date,
                          const ValueClock& clock) {
  if (Upper(At(text, position)) == 'T') {
    ++position;
    return ParseRelativeDate(text, position, date, clock);
  }
  return ParseAbsoluteDate(text, position, date);
}

ValueError ParseTimeValue(std::string_view text, std::size_t& position, std::uint16_t& time,
                          const ValueClock& clock) {
  if (Upper(At(text, position)) == 'N') {
    ++position;
    return ParseRelativeTime(text, position, time, clock);
  }
  return ParseAbsoluteTime(text, position, time);
}

std::string_view ValueErrorMessage(ValueError error, bool japanese) {
  switch (error) {
    case ValueError::kNone:
      return {};
    case ValueError::kYear:
      return japanese ? "年の指定は 2043 年以前でなければなりません.\n"
                      : "Year must be smaller than or equal 2043.\n";
    case ValueError::kInvalidDate:
      return japanese ? "日付の指定が正しくありません.\n" : "Invalid date parameter.\n";
    case ValueError::kHour:
      return japanese ? "時刻の指定は 31 以下でなければなりません.\n"
                      : "Hour must be smaller than or equal 31.\n";
    case ValueError::kMinute:
      return japanese ? "分の指定は 63 以下でなければなりません.\n"
                      : "Minute must be smaller than or equal 63.\n";
    case ValueError::kSecond:
      return japanese ? "秒の指定は 63 以下でなければなりません.\n"
                      : "Second must be smaller than or equal 63.\n";
  }
  return {};
}
