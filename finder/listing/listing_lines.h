// The lines of the table listings (forms 1 and 2) and their directory
// headers, built from plain values so that the archive listings share the
// same columns. Nothing here writes anywhere; the callers print the results.
#pragma once

#include <cstdint>
#include <string_view>

#include "common/bounded_text.h"
#include "finder/records/calendar.h"
#include "finder/records/search_options.h"

// Room for 52 columns (an 8.3 name in UTF-8 takes more bytes than columns),
// a long name in UTF-8 and a size wider than its field.
using ListingLine = BoundedText<140 + kNameSize>;
// "18,446,744,073,709,551,615" is the widest grouped number.
using GroupedNumber = BoundedText<32>;
// A header line: the label and a directory, which may be long.
using HeaderLine = BoundedText<40 + kLongPathSize>;

// Decimal digits with "," in front of every further group of three digits
// counted from the right: 0, 999, 1,000, 1,234,567.
GroupedNumber GroupDigits(std::uint64_t value);

// Appends `text` behind as many blanks as it is shorter than `width`, so that
// it ends `width` columns further on. A wider text is appended whole: the
// rest of the line moves right rather than losing digits.
template <std::size_t N>
void AppendRightAligned(BoundedText<N>& line, std::string_view text, std::size_t width) {
  for (std::size_t i = text.size(); i < width; ++i) line.Append(' ');
  line.Append(text);
}

// The columns in front of the name that form 1 and the long lines of the
// archives share: "yy/mm/dd  hh:mm:ss" (an hour below 10 with a blank when
// `blankPaddedHour`, as Cabinet files show it), the size with digit grouping
// ending in column 31 (or "<DIR>" in columns 21-25 when `directory`), the
// letters S H R A ("_" for a clear bit) in 33-36 and a blank; the name then
// starts in column 38. A field of more than two digits, or a size wider than
// its field, is written whole and pushes the rest right. Writes at most
// kLongColumnsSize bytes to `out` and returns how many.
inline constexpr std::size_t kLongColumnsSize = 128;
std::size_t PutLongColumns(char* out, const CalendarTime& time, std::uint64_t size,
                           std::uint32_t attributes, bool directory, bool blankPaddedHour);
template <std::size_t N>
void AppendLongColumns(BoundedText<N>& line, const CalendarTime& time, std::uint64_t size,
                       std::uint32_t attributes, bool directory, bool blankPaddedHour = false) {
  char columns[kLongColumnsSize];
  line.Append(std::string_view(
      columns, PutLongColumns(columns, time, size, attributes, directory, blankPaddedHour)));
}

// The path a directory header shows: the directory, as the search path holds
// it in front of the name position (with its trailing backslash), without
// that backslash, except for the root of a drive ("C:\").
std::string_view HeaderPath(std::string_view directoryWithBackslash);

// "Directory of C:\WORK" in the chosen language,
// without line ends; the caller writes the blank lines around it.
HeaderLine DirectoryHeaderLine(std::string_view directoryWithBackslash, bool japanese);

// Form 1: the long columns (above) of the last-write time in local time
// `stamp`, then `name` from column 38. No line end. The long lines of the
// archives are the same columns with the member's own clock.
ListingLine BuildForm1Line(DosDateTime stamp, std::uint64_t size, std::uint32_t attributes,
                           bool directory, std::string_view name);
ListingLine BuildForm1Line(const FileEntry& entry, DosDateTime stamp);

// Form 2: the 8.3 name (the short name, else the long one) split at its last
// "." into columns 0-7 and 9-11, the size ending in column 25 (or "<DIR>" in
// 15-19), the date in 28-35, the time in 38-45, S H R A in 47-50 and the long
// name from column 52. Columns are screen columns (common/display_columns.h):
// a wide character fills two of the 8.3 columns. No line end.
ListingLine BuildForm2Line(const FileEntry& entry, DosDateTime stamp);
