// The calendar of the program, written once: civil dates from days and back,
// UTC and local calendar fields of a moment, and the packed MS-DOS date and
// time in which files, members and criteria are compared.
//
// The one rule for moments the packed form cannot hold: it holds 1980-01-01
// 00:00:00 to 2107-12-31 23:59:58, and a moment outside is taken as the
// nearest end of that range, by the listing and by the date and time
// criteria alike, so that what a line shows is what the criteria compare.
// The bounds of the criteria themselves are the option text's own business
// (date_time_values.h: a relative date before 1980 packs as 1980).
#pragma once

#include <cstdint>

// A packed MS-DOS date (day 1-31 in bits 0-4, month in 5-8, year - 1980 in
// 9-15) and time (seconds / 2 in bits 0-4, minute in 5-10, hour in 11-15).
// Date and time are compared separately, as unsigned 16-bit numbers.
struct DosDateTime {
  std::uint16_t date = 0;
  std::uint16_t time = 0;
};

// Calendar fields of a moment, UTC or local, or of a packed date and time.
// month is 1-12 for a real moment; a packed one may hold 0 to 15.
struct CalendarTime {
  std::int64_t year = 1970;
  int month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// How many bits of the packed year field count. Files and the criteria use
// all seven (1980-2107). Archive members use six, as the written member
// listing does: bit 15 of a member's date plays no part in its line, and a
// calendar stamp of a member packs with its year modulo 64.
inline constexpr unsigned kDosYearBits = 7;
inline constexpr unsigned kMemberYearBits = 6;

// Days since 1 January 1970 of a date of the proleptic Gregorian calendar,
// and back.
std::int64_t DaysFromCivil(std::int64_t year, int month, std::int64_t day);
void CivilFromDays(std::int64_t days, std::int64_t& year, int& month, int& day);

// UTC calendar fields of any count of seconds since 1970.
CalendarTime UtcDateTime(std::int64_t seconds);

// The C runtime's local time (the TZ variable and the system's zone); where
// the runtime cannot convert a value, the UTC calendar fields of it.
CalendarTime StandardLocalTime(std::int64_t seconds);

// Seconds since 1970 of a FILETIME (100 ns steps since 1601); negative
// before 1970. The steps of a second are dropped.
std::int64_t SecondsFromFileTime(std::uint64_t fileTime);
// The calendar fields a FILETIME counts to, in its own zone.
CalendarTime FileTimeFields(std::uint64_t fileTime);

// Packing fields that are known to fit.
constexpr std::uint16_t PackDosDate(unsigned yearsSince1980, unsigned month, unsigned day) {
  return static_cast<std::uint16_t>(((yearsSince1980 & 0x7F) << 9) | ((month & 0x0F) << 5) |
                                    (day & 0x1F));
}
constexpr std::uint16_t PackDosTime(unsigned hour, unsigned minute, unsigned second) {
  return static_cast<std::uint16_t>(((hour & 0x1F) << 11) | ((minute & 0x3F) << 5) |
                                    ((second / 2) & 0x1F));
}
// The fields as they stand, the year counted from 1980 and kept to its low
// `yearBits` bits, every other field to its width; nothing is checked.
DosDateTime PackDosFields(const CalendarTime& time, unsigned yearBits);

// The fields of a packed date and time: year 1980 + the low `yearBits` bits
// of the year field, seconds twice the two-second field.
CalendarTime UnpackDosDateTime(DosDateTime stamp, unsigned yearBits);

// The moment itself when the packed form holds its year, else the nearest
// end of the range: 1980-01-01 00:00:00 or 2107-12-31 23:59:58.
CalendarTime NearestDosMoment(const CalendarTime& moment);
// The packed form of NearestDosMoment.
DosDateTime NearestDosDateTime(const CalendarTime& moment);
// The packed form of a file's local last-write FILETIME: what its line shows
// and its date and time criteria compare.
DosDateTime FileDosDateTime(std::uint64_t localFileTime);
// The packed form of a member's calendar stamp, which its criteria compare:
// NearestDosMoment with six bits of its year (kMemberYearBits). The member's
// line shows NearestDosMoment to the second.
DosDateTime MemberDosDateTime(const CalendarTime& moment);
