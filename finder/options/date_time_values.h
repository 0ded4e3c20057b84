// One date or time value of the /D and /T options, read from option text and
// packed into the 16-bit MS-DOS date or time word in which files are compared.
//
// Absolute forms: "yy/mm/dd" (a year of 1980 and later, or two digits) and
// "hh:mm" / "hh:mm:ss". Relative forms start from the start time of the run:
// "T" followed by Y, M and D steps ("TD7" is seven days back, "TM+1" one
// month ahead), "N" followed by H, M and S steps. Letters in either case.
//
// Both parsers write into the target word field by field: a field the text
// does not give (the seconds of "hh:mm") keeps what the word held before.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "finder/records/calendar.h"

// Converts seconds since 1970 (UTC) to local calendar fields. Must accept any
// value (relative steps can run far outside the range a C runtime converts).
using LocalTimeFn = CalendarTime (*)(std::int64_t seconds);

// Why a value was refused; each has its message.
enum class ValueError : std::uint8_t {
  kNone,
  kYear,         // the year comes after 2043
  kInvalidDate,  // a date without its "/" parts, month > 15, day > 31, a time without ":" and
                 // minute
  kHour,         // hour > 31
  kMinute,       // minute > 63
  kSecond,       // second > 63
};

// The message of an error, whole, ending in "\n", in the chosen language.
// Empty for kNone.
std::string_view ValueErrorMessage(ValueError error, bool japanese);

// The clock the relative forms count from.
struct ValueClock {
  std::int64_t startTime = 0;  // seconds since 1970, the same for every value of a run
  LocalTimeFn localTime = StandardLocalTime;
};

// Reads one date at text[position]: "yy/mm/dd" or "T[Y[-|+]n][M[-|+]n][D[-|+]n]..."
// (steps in any order and number; no sign and "-" count back, "+" ahead).
// On success the position is past the value (past the day's digits, or at
// the first character that is no step) and `date` holds it. On failure the
// fields already read stay written, the position is where reading stopped, and the
// caller writes ValueErrorMessage(result).
// Months 0 and 13-15 and day 0 pass as written; a relative date before 1980
// packs as year 1980; Y and M steps before a D step are kept.
ValueError ParseDateValue(std::string_view text, std::size_t& position, std::uint16_t& date,
                          const ValueClock& clock);

// Reads one time of day at text[position]: "hh:mm", "hh:mm:ss" or
// "N[H[-|+]n][M[-|+]n][S[-|+]n]...". The seconds field holds seconds / 2.
// Hours 24-31 and minutes and seconds 60-63 pass. A relative time never fails.
// Position and failure as for ParseDateValue.
ValueError ParseTimeValue(std::string_view text, std::size_t& position, std::uint16_t& time,
                          const ValueClock& clock);
