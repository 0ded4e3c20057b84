#include "finder/search/listing_lines.h"

#include <cstring>

namespace {

// A 32-bit size fills 13 columns at most ("2,147,483,647"); both forms leave a
// blank in front of those 13 so that a size never runs into the field before.
constexpr std::size_t kSizeWidth = 13;

// "ディレクトリ名 : " in code page 932.
constexpr std::string_view kJapaneseDirectoryLabel =
    "\x83\x66\x83\x42\x83\x8C\x83\x4E\x83\x67\x83\x8A\x96\xBC : ";
constexpr std::string_view kEnglishDirectoryLabel = "Directory of ";

std::string_view BoundedName(const char* text, std::size_t size) {
  return {text, strnlen(text, size)};
}

void AppendBlanks(ListingLine& line, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) line.Append(' ');
}

// Writes `text` into a column of `width`, cut to fit and padded with blanks.
void AppendColumn(ListingLine& line, std::string_view text, std::size_t width) {
  if (text.size() > width) text = text.substr(0, width);
  line.Append(text);
  AppendBlanks(line, width - text.size());
}

// The size field: a blank and then 13 columns holding the grouped size, or
// "<DIR>" from the third of those columns (a fixed place the eye finds).
void AppendSizeField(ListingLine& line, std::uint64_t size, bool directory) {
  line.Append(' ');
  if (directory) {
    line.Append("  <DIR>      ");
  } else {
    AppendRightAligned(line, GroupDigits(size).view(), kSizeWidth);
  }
}

// "%02d" of a packed date or time field, all of which are below 100; one
// line per entry of a large tree is the hot path of forms 1 and 2.
void AppendTwoDigits(ListingLine& line, int value) {
  line.Append(static_cast<char>('0' + value / 10));
  line.Append(static_cast<char>('0' + value % 10));
}

// "yy/mm/dd  hh:mm:ss".
void AppendDateTime(ListingLine& line, const ListingTime& t) {
  AppendTwoDigits(line, t.year % 100);
  line.Append('/');
  AppendTwoDigits(line, t.month);
  line.Append('/');
  AppendTwoDigits(line, t.day);
  line.Append("  ");
  AppendTwoDigits(line, t.hour);
  line.Append(':');
  AppendTwoDigits(line, t.minute);
  line.Append(':');
  AppendTwoDigits(line, t.second);
}

}  // namespace

GroupedNumber GroupDigits(std::uint64_t value) {
  char digits[20];
  std::size_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  GroupedNumber text;
  for (std::size_t i = count; i-- > 0;) {
    text.Append(digits[i]);
    if (i != 0 && i % 3 == 0) text.Append(',');
  }
  return text;
}

BoundedText<5> AttributeLetters(std::uint32_t attributes) {
  BoundedText<5> letters;
  letters.Append(attributes & kAttrSystem ? 'S' : '_');
  letters.Append(attributes & kAttrHidden ? 'H' : '_');
  letters.Append(attributes & kAttrReadOnly ? 'R' : '_');
  letters.Append(attributes & kAttrArchive ? 'A' : '_');
  return letters;
}

ListingTime UnpackDosDateTime(DosDateTime stamp) {
  return {
      1980 + (stamp.date >> 9), (stamp.date >> 5) & 0x0F, stamp.date & 0x1F,
      stamp.time >> 11,         (stamp.time >> 5) & 0x3F, (stamp.time & 0x1F) * 2,
  };
}

bool ClampToDosRange(std::uint64_t localFileTime, DosDateTime& stamp) {
  constexpr std::uint64_t kTicksPerSecond = 10000000;
  constexpr std::uint64_t kFirst = 11960006400ull * kTicksPerSecond;     // 1980-01-01
  constexpr std::uint64_t kPastLast = 15999292800ull * kTicksPerSecond;  // 2108-01-01
  if (localFileTime < kFirst) {
    stamp = {0 << 9 | 1 << 5 | 1, 0};
    return true;
  }
  if (localFileTime >= kPastLast) {
    stamp = {127 << 9 | 12 << 5 | 31, 23 << 11 | 59 << 5 | 29};
    return true;
  }
  return false;
}

void AppendForm1DateTime(ListingLine& line, DosDateTime stamp) {
  AppendDateTime(line, UnpackDosDateTime(stamp));
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
  AppendForm1DateTime(line, stamp);
  AppendSizeField(line, size, directory);
  line.Append(' ');
  line.Append(AttributeLetters(attributes).view());
  line.Append(' ');
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
  AppendSizeField(line, entry.size, entry.attributes & kAttrDirectory);

  AppendBlanks(line, 2);
  AppendDateTime(line, UnpackDosDateTime(stamp));
  line.Append(' ');
  line.Append(AttributeLetters(entry.attributes).view());
  line.Append(' ');
  line.Append(longName);
  return line;
}
