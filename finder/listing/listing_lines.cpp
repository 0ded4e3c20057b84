#include "finder/listing/listing_lines.h"

#include <cstdio>
#include <cstring>

#include "common/display_columns.h"

namespace {

// A 32-bit size fills 13 columns at most ("2,147,483,647"); both forms leave a
// blank in front of those 13 so that a size never runs into the field before.
constexpr std::size_t kSizeWidth = 13;

constexpr std::string_view kJapaneseDirectoryLabel = "ディレクトリ名 : ";
constexpr std::string_view kEnglishDirectoryLabel = "Directory of ";

std::string_view BoundedName(const char* text, std::size_t size) {
  return {text, strnlen(text, size)};
}

void AppendBlanks(ListingLine& line, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) line.Append(' ');
}

// Writes `text` into a column `width` screen columns wide, cut to fit and
// padded with blanks. The cut never halves a UTF-8 character; a wide one that
// would pass the edge leaves a blank in its place.
void AppendColumn(ListingLine& line, std::string_view text, std::size_t width) {
  // An ASCII 8.3 name, the usual one, is its own width.
  bool ascii = text.size() <= width;
  for (std::size_t i = 0; ascii && i < text.size(); ++i)
    ascii = static_cast<unsigned char>(text[i]) < 0x80;
  const ColumnSpan fit = ascii ? ColumnSpan{text.size(), text.size()} : FitColumns(text, width);
  line.Append(text.substr(0, fit.bytes));
  AppendBlanks(line, width - fit.columns);
}

// Decimal digits with "," between groups of three, built right to left.
class GroupedDigits {
 public:
  explicit GroupedDigits(std::uint64_t value) {
    int count = 0;
    do {
      if (count != 0 && count % 3 == 0) *--first_ = ',';
      *--first_ = static_cast<char>('0' + value % 10);
      value /= 10;
      ++count;
    } while (value != 0);
  }
  std::string_view view() const {
    return {first_, static_cast<std::size_t>(digits_ + sizeof digits_ - first_)};
  }

 private:
  char digits_[32];
  char* first_ = digits_ + sizeof digits_;
};

// "%02d" of a field, or "%2d" with `blankPadded`; one line per entry of a
// large tree or member of a large archive is the hot path, so the usual
// field of two digits is written without a format string.
char* PutTwoDigits(char* at, int value, bool blankPadded = false) {
  if (value < 0 || value > 99) {
    // A clock from a stamp of another kind may hold wider fields; they are
    // shown whole and push the rest of the line right.
    char text[16];
    int length = std::snprintf(text, sizeof text, blankPadded ? "%2d" : "%02d", value);
    for (int i = 0; i < length; ++i) *at++ = text[i];
    return at;
  }
  *at++ = value < 10 && blankPadded ? ' ' : static_cast<char>('0' + value / 10);
  *at++ = static_cast<char>('0' + value % 10);
  return at;
}

// "yy/mm/dd  hh:mm:ss", the year of the century also for a year before 0.
char* PutDateTime(char* at, const CalendarTime& t, bool blankPaddedHour) {
  at = PutTwoDigits(at, static_cast<int>(((t.year % 100) + 100) % 100));
  *at++ = '/';
  at = PutTwoDigits(at, t.month);
  *at++ = '/';
  at = PutTwoDigits(at, t.day);
  *at++ = ' ';
  *at++ = ' ';
  at = PutTwoDigits(at, t.hour, blankPaddedHour);
  *at++ = ':';
  at = PutTwoDigits(at, t.minute);
  *at++ = ':';
  return PutTwoDigits(at, t.second);
}

// The size field: a blank and then 13 columns holding the grouped size (a
// wider one written whole), or "<DIR>" from the third of those columns (a
// fixed place the eye finds).
char* PutSizeField(char* at, std::uint64_t size, bool directory) {
  *at++ = ' ';
  if (directory) {
    for (char c : std::string_view("  <DIR>      ")) *at++ = c;
    return at;
  }
  GroupedDigits grouped(size);
  for (std::size_t i = grouped.view().size(); i < kSizeWidth; ++i) *at++ = ' ';
  for (char c : grouped.view()) *at++ = c;
  return at;
}

// The four letters S H R A between two blanks.
char* PutLetters(char* at, std::uint32_t attributes) {
  *at++ = ' ';
  *at++ = attributes & kAttrSystem ? 'S' : '_';
  *at++ = attributes & kAttrHidden ? 'H' : '_';
  *at++ = attributes & kAttrReadOnly ? 'R' : '_';
  *at++ = attributes & kAttrArchive ? 'A' : '_';
  *at++ = ' ';
  return at;
}

template <std::size_t N>
void AppendPut(BoundedText<N>& line, const char* start, const char* end) {
  line.Append(std::string_view(start, static_cast<std::size_t>(end - start)));
}

}  // namespace

GroupedNumber GroupDigits(std::uint64_t value) {
  return GroupedNumber(GroupedDigits(value).view());
}

std::size_t PutLongColumns(char* out, const CalendarTime& time, std::uint64_t size,
                           std::uint32_t attributes, bool directory, bool blankPaddedHour) {
  char* at = PutDateTime(out, time, blankPaddedHour);
  at = PutSizeField(at, size, directory);
  at = PutLetters(at, attributes);
  return static_cast<std::size_t>(at - out);
}

std::string_view HeaderPath(std::string_view directory) {
  if (directory.size() >= 2 && directory.back() == '\\' && directory[directory.size() - 2] != ':')
    directory.remove_suffix(1);
  return directory;
}

HeaderLine DirectoryHeaderLine(std::string_view directoryWithBackslash, bool japanese) {
  HeaderLine line(japanese ? kJapaneseDirectoryLabel : kEnglishDirectoryLabel);
  line.Append(HeaderPath(directoryWithBackslash));
  return line;
}

ListingLine BuildForm1Line(DosDateTime stamp, std::uint64_t size, std::uint32_t attributes,
                           bool directory, std::string_view name) {
  ListingLine line;
  AppendLongColumns(line, UnpackDosDateTime(stamp, kDosYearBits), size, attributes, directory);
  line.Append(name);
  return line;
}

ListingLine BuildForm1Line(const FileEntry& entry, DosDateTime stamp) {
  return BuildForm1Line(stamp, entry.size, entry.attributes, entry.attributes & kAttrDirectory,
                        BoundedName(entry.name, sizeof entry.name));
}

ListingLine BuildForm2Line(const FileEntry& entry, DosDateTime stamp) {
  std::string_view longName = BoundedName(entry.name, sizeof entry.name);
  std::string_view shown = BoundedName(entry.shortName, sizeof entry.shortName);
  if (shown.empty()) shown = longName;

  // A long name that is no 8.3 name is cut to the columns rather than pushing
  // the later ones out of place; column 52 shows it whole.
  ListingLine line;
  std::size_t dot = shown.rfind('.');
  if (shown == "." || shown == ".." || dot == std::string_view::npos) {
    AppendColumn(line, shown, 8);
    AppendBlanks(line, 4);
  } else {
    AppendColumn(line, shown.substr(0, dot), 8);
    line.Append(' ');
    AppendColumn(line, shown.substr(dot + 1), 3);
  }
  char text[kLongColumnsSize];
  char* at = PutSizeField(text, entry.size, entry.attributes & kAttrDirectory);
  *at++ = ' ';
  *at++ = ' ';
  at = PutDateTime(at, UnpackDosDateTime(stamp, kDosYearBits), false);
  AppendPut(line, text, PutLetters(at, entry.attributes));
  line.Append(longName);
  return line;
}
