// The option layers: the help test, the command line, the default options,
// sizes, templates, and the messages of both languages.
//
// Each row parses a text into fresh settings and compares the settings it
// changed, rendered as one line, and the whole text written to standard error.
#include "finder/options/option_parser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "common/text_writer.h"
#include "finder/archive/archive_format.h"
#include "finder/options/settled_options.h"

namespace {

// 2026-03-31 14:25:36 UTC.
constexpr std::int64_t kStart = 1774967136;

CalendarTime Utc(std::int64_t seconds) {
  return UtcDateTime(seconds);
}

struct Capture {
  std::string bytes;
  static bool Sink(void* context, const char* data, std::size_t size) {
    static_cast<Capture*>(context)->bytes.append(data, size);
    return true;
  }
};

SearchOptions Fresh(std::uint32_t consoleCodePage = 932) {
  SearchOptions options;
  options.consoleCodePage = consoleCodePage;
  options.startTime = kStart;
  return options;
}

std::string Date(std::uint16_t w) {
  char text[16];
  std::snprintf(text, sizeof text, "%d/%d/%d", (w >> 9) + 1980, (w >> 5) & 15, w & 31);
  return text;
}
std::string Time(std::uint16_t w) {
  char text[16];
  std::snprintf(text, sizeof text, "%d:%02d:%02d", w >> 11, (w >> 5) & 63, (w & 31) * 2);
  return text;
}
std::string Size(std::uint64_t v) {
  return std::to_string(v);
}

template <typename Format, typename Value>
std::string Range(RangeMode mode, Value value, Value low, Value high, Format format) {
  switch (mode) {
    case RangeMode::Equal:
      return "=" + format(value);
    case RangeMode::AtLeast:
      return format(low) + "-";
    case RangeMode::AtMost:
      return "-" + format(high);
    case RangeMode::Between:
      return format(low) + "-" + format(high);
    case RangeMode::None:
      break;
  }
  return "";
}

// The settings that differ from a fresh record, as one line.
std::string Describe(const SearchOptions& o) {
  // The option letters set, in letter order, then the template's switches.
  std::string flags;
  std::vector<std::pair<bool, char>> letters = {
      {o.findExecutable, 'E'},   {o.japanese, 'J'},       {o.noEcho, 'N'},
      {o.searchOrdinary, 'O'},   {o.pausePerScreen, 'P'}, {o.searchSubdirectories, 'U'},
      {o.wholeMemberPaths, 'W'},
  };
  // Kinds without a letter of their own have no option letter to show.
  for (const ArchiveFormat& format : kArchiveFormats)
    if (format.option != '\0') letters.push_back({WantOf(o, format).wanted, format.option});
  std::sort(letters.begin(), letters.end(),
            [](const auto& a, const auto& b) { return a.second < b.second; });
  letters.insert(
      letters.end(),
      {{o.runCommand, 'r'}, {o.queryBeforeRun, 'q'}, {o.noWait, 'i'}, {o.shortNames, 's'}});
  for (auto [set, letter] : letters)
    if (set) flags += letter;
  std::string line = "flags=" + flags;
  if (o.attributesRequired || o.attributesExcluded) {
    char text[32];
    std::snprintf(text, sizeof text, " attr=+%02X-%02X", o.attributesRequired,
                  o.attributesExcluded);
    line += text;
  }
  if (o.dateMode != RangeMode::None)
    line += " date" + Range(o.dateMode, o.dateValue, o.dateLow, o.dateHigh, Date);
  if (o.timeMode != RangeMode::None)
    line += " time" + Range(o.timeMode, o.timeValue, o.timeLow, o.timeHigh, Time);
  if (o.sizeMode != RangeMode::None)
    line += " size" + Range(o.sizeMode, o.sizeValue, o.sizeLow, o.sizeHigh, Size);
  if (o.form) line += " form=" + std::to_string(o.form);
  if (o.memberCodePage) line += " codepage=" + std::to_string(o.memberCodePage);
  if (o.innerArchiveLevels) line += " inner=" + std::to_string(o.innerArchiveLevels);
  // Each kind's archive names by its option letter, as " zip=*.ZIP".
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    const ArchiveFormat* format = ArchiveFormatForOption(letter);
    if (!format || WantOf(o, *format).pattern.empty()) continue;
    std::string kind(format->archiveNames.substr(2));
    for (char& c : kind) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    line += " " + kind + "=" + std::string(WantOf(o, *format).pattern.view());
  }
  // The kinds that only /X turns on, by their names.
  for (const ArchiveFormat& format : kArchiveFormats)
    if (format.option == '\0' && WantOf(o, format).wanted)
      line += " " + std::string(format.name) + "=" + std::string(WantOf(o, format).pattern.view());
  if (o.creationFlags) {
    char text[32];
    std::snprintf(text, sizeof text, " creation=0x%X", o.creationFlags);
    line += text;
  }
  if (!o.commandTemplate.empty())
    line += " template='" + std::string(o.commandTemplate.view()) + "'";
  if (!o.fileNameText.empty()) line += " name='" + std::string(o.fileNameText.view()) + "'";
  return line;
}

struct Result {
  CommandLineOutcome outcome;
  std::string settings;
  std::string errors;
};

Result Command(const std::string& text, SearchOptions options = Fresh(),
               ParserFacts facts = {Utc}) {
  Capture capture;
  Result result;
  {
    TextWriter errors(Capture::Sink, &capture, false);
    result.outcome = ParseCommandLine(text, options, facts, errors);
  }
  result.settings = Describe(options);
  result.errors = capture.bytes;
  return result;
}

Result Defaults(const std::string& text, SearchOptions options = Fresh(),
                ParserFacts facts = {Utc}) {
  Capture capture;
  Result result;
  {
    TextWriter errors(Capture::Sink, &capture, false);
    ParseDefaultOptions(text, options, facts, errors);
  }
  result.settings = Describe(options);
  result.errors = capture.bytes;
  return result;
}

struct Row {
  std::string text;
  std::string settings;
  std::string errors = "";
  CommandLineOutcome::Kind kind = CommandLineOutcome::kContinue;
};

int StatusOf(CommandLineOutcome::Kind kind) {
  return kind == CommandLineOutcome::kFail ? 2 : 0;
}

void CheckCommandRows(const std::vector<Row>& rows, SearchOptions start = Fresh()) {
  for (const Row& row : rows) {
    const Result result = Command(row.text, start);
    EXPECT_EQ(result.settings, row.settings) << "[" << row.text << "]";
    EXPECT_EQ(result.errors, row.errors) << "[" << row.text << "]";
    EXPECT_EQ(result.outcome.kind, row.kind) << "[" << row.text << "]";
    EXPECT_EQ(result.outcome.status, StatusOf(row.kind)) << "[" << row.text << "]";
  }
}

const std::string kInvalid = "Invalid option character. : ";
const std::string kSizeMissing = "S option's parameter is not specified.\n";
constexpr auto kFail = CommandLineOutcome::kFail;
constexpr auto kUsage = CommandLineOutcome::kShowUsage;

TEST(CommandLine, OptionsWithoutParameter) {
  CheckCommandRows({
      {" /E x", "flags=E name='x'"},          {" /J x", "flags=J name='x'"},
      {" /N x", "flags=N name='x'"},          {" /O x", "flags=O name='x'"},
      {" /P x", "flags=P name='x'"},          {" /U x", "flags=U name='x'"},
      {" /u x", "flags=U name='x'"},          {" /UX x", "flags=U name='x'"},
      {" /w x", "flags=W name='x'"},          {" /U/O x", "flags=U name='x'"},
      {" x /U /O /P", "flags=OPU name='x '"}, {" -N x", "flags=N name='x'"},
      {" x\t-U", "flags=U name='x\t'"},       {" /F x", "flags= name='x'"},
      {" /F0 x", "flags= name='x'"},          {" /F1 x", "flags= form=1 name='x'"},
      {" /F3 x", "flags= name='x'"},          {" /F:2 x", "flags= form=2 name='x'"},
      {" /f2x x", "flags= form=2 name='x'"},  {" /F: 2", "flags= name='2'"},
      {" /M x", "flags= inner=1 name='x'"},   {" /M:2 x", "flags= inner=2 name='x'"},
      {" /m9 x", "flags= inner=3 name='x'"},  {" /M0 x", "flags= name='x'"},
      {" /M3 /-M x", "flags= name='x'"},
  });
}

TEST(CommandLine, Negations) {
  SearchOptions start = Fresh();
  for (const ArchiveFormat& format : kArchiveFormats)
    WantOf(start, format).wanted = format.option != '\0';
  start.findExecutable = start.japanese = start.noEcho = start.searchOrdinary = true;
  start.pausePerScreen = start.searchSubdirectories = start.wholeMemberPaths = true;
  WantOf(start, *ArchiveFormatForOption('C')).pattern.Assign("a.cab");
  start.attributesRequired = kAttrHidden;
  start.dateMode = start.timeMode = start.sizeMode = RangeMode::Equal;
  start.form = 2;
  const std::string all =
      "flags=CEJLNOPUWZ attr=+02-00 date=1980/0/0 time=0:00:00 size=0 form=2 cab=a.cab";
  CheckCommandRows(
      {
          {" /-A x",
           "flags=CEJLNOPUWZ date=1980/0/0 time=0:00:00 size=0 form=2 cab=a.cab name='x'"},
          {" /-C x",
           "flags=EJLNOPUWZ attr=+02-00 date=1980/0/0 time=0:00:00 size=0 form=2 cab=a.cab "
           "name='x'"},
          {" /!D x", "flags=CEJLNOPUWZ attr=+02-00 time=0:00:00 size=0 form=2 cab=a.cab name='x'"},
          {" /-E x",
           "flags=CJLNOPUWZ attr=+02-00 date=1980/0/0 time=0:00:00 size=0 form=2 cab=a.cab "
           "name='x'"},
          {" /-F x",
           "flags=CEJLNOPUWZ attr=+02-00 date=1980/0/0 time=0:00:00 size=0 cab=a.cab name='x'"},
          {" /-J x",
           "flags=CELNOPUWZ attr=+02-00 date=1980/0/0 time=0:00:00 size=0 form=2 cab=a.cab "
           "name='x'"},
          {" /-l x",
           "flags=CEJNOPUWZ attr=+02-00 date=1980/0/0 time=0:00:00 size=0 form=2 cab=a.cab "
           "name='x'"},
          {" /-O x",
           "flags=CEJLNPUWZ attr=+02-00 date=1980/0/0 time=0:00:00 size=0 form=2 cab=a.cab "
           "name='x'"},
          {" /!P x",
           "flags=CEJLNOUWZ attr=+02-00 date=1980/0/0 time=0:00:00 size=0 form=2 cab=a.cab "
           "name='x'"},
          {" /-S x",
           "flags=CEJLNOPUWZ attr=+02-00 date=1980/0/0 time=0:00:00 form=2 cab=a.cab name='x'"},
          {" /-T x", "flags=CEJLNOPUWZ attr=+02-00 date=1980/0/0 size=0 form=2 cab=a.cab name='x'"},
          {" /-U x",
           "flags=CEJLNOPWZ attr=+02-00 date=1980/0/0 time=0:00:00 size=0 form=2 cab=a.cab "
           "name='x'"},
          {" /-W x",
           "flags=CEJLNOPUZ attr=+02-00 date=1980/0/0 time=0:00:00 size=0 form=2 cab=a.cab "
           "name='x'"},
          {" /-Z x",
           "flags=CEJLNOPUW attr=+02-00 date=1980/0/0 time=0:00:00 size=0 form=2 cab=a.cab "
           "name='x'"},
          {" /-X x",
           "flags=EJNOPUW attr=+02-00 date=1980/0/0 time=0:00:00 size=0 form=2 cab=a.cab "
           "name='x'"},
          // Nothing to switch off: skipped with the word, no message.
          {" /-N x", all + " name='x'"},
          {" /-H x", all + " name='x'"},
          {" /-? x", all + " name='x'"},
          {" /!1 x", all + " name='x'"},
          {" /- x", all + " name='x'"},
          {" /-", all},
      },
      start);
}

// Code page 932 shows Japanese to anyone; UTF-8 is every user's console, and
// only a Japanese user gets Japanese there.
TEST(CommandLine, JapaneseOnlyWhereItIsRead) {
  ParserFacts japaneseUser{Utc};
  japaneseUser.japaneseUser = true;
  EXPECT_EQ(Command(" /J x", Fresh(437), japaneseUser).settings, "flags= name='x'");
  EXPECT_EQ(Command(" /J x", Fresh(932)).settings, "flags=J name='x'");
  EXPECT_EQ(Command(" /J x", Fresh(65001), japaneseUser).settings, "flags=J name='x'");
  EXPECT_EQ(Command(" /J x", Fresh(65001)).settings, "flags= name='x'");
}

TEST(CommandLine, Attributes) {
  CheckCommandRows({
      {" /A:H!S x", "flags= attr=+02-04 name='x'"},
      {" /AH!H x", "flags= attr=+02-02 name='x'"},
      {" /ARHSDA x", "flags= attr=+37-00 name='x'"},
      {" /a-r-d x", "flags= attr=+00-11 name='x'"},
      {" /A:X!Q!h x", "flags= attr=+00-02 name='x'"},
      {" /A!!S x", "flags= attr=+00-04 name='x'"},
      {" /AH! x", "flags= attr=+02-00 name='x'"},
      {" /AR /A x", "flags= name='x'"},
      {" /A", "flags="},
      // The blanks behind the list start a word: "-N" is a switch.
      {"/AH -N", "flags=N attr=+02-00"},
  });
}

const std::string kZipFamily =
    "*.ZIP|*.JAR|*.WAR|*.EAR|*.APK|*.AAR|*.DOCX|*.XLSX|*.PPTX|*.ODT|*.ODS|*.ODP|*.EPUB|*.NUPKG|"
    "*.VSIX|*.WHL|*.XPI|*.APPX|*.MSIX|*.ZIPX";

// The kinds that only /X turns on, with their names, as Describe shows them.
// The kinds without a letter that /X turns on (`everyKind`: /X:*), with
// every name they look for.
std::string OtherKinds(bool everyKind = false) {
  std::string kinds;
  for (const ArchiveFormat& format : kArchiveFormats)
    if (format.option == '\0' && (everyKind || !format.wholeStream))
      kinds += " " + std::string(format.name) + "=" +
               std::string(format.everyNames.empty() ? format.archiveNames : format.everyNames);
  return kinds;
}

TEST(CommandLine, ArchiveNames) {
  SearchOptions start = Fresh();
  WantOf(start, *ArchiveFormatForOption('Z')).pattern.Assign("old.zip");
  CheckCommandRows({
      {" /Z x", "flags=Z zip=*.ZIP name='x'"},
      {" /Z: x", "flags=Z zip=*.ZIP name='x'"},
      {" /Zfoo*.zip x", "flags=Z zip=foo*.zip name='x'"},
      {" /z:foo*.zip x", "flags=Z zip=foo*.zip name='x'"},
      {" /C x", "flags=C cab=*.CAB name='x'"},
      {" /C:a[1].cab x", "flags=C cab=a[1].cab name='x'"},
      {" /L x", "flags=L lzh=*.LZH name='x'"},
      {" /Lb*.lzh", "flags=L lzh=b*.lzh"},
      {" /Z:a;b x", "flags=Z zip=a;b name='x'"},
      // /X: every kind read from headers, or the kinds named, with names of
      // their own kept apart by "|".
      {" /X x", "flags=CLZ cab=*.CAB lzh=*.LZH zip=" + kZipFamily + OtherKinds() + " name='x'"},
      {" /X:* x",
       "flags=CLZ cab=*.CAB lzh=*.LZH zip=" + kZipFamily + OtherKinds(true) + " name='x'"},
      {" /X:TGZ x", "flags= TGZ=*.TGZ|*.TAR.GZ name='x'"},
      {" /x:cab,Lzh=*.lzh;*.lha,, x", "flags=CL cab=*.CAB lzh=*.lzh|*.lha name='x'"},
      {" /X:ZIP= x", "flags=Z zip=" + kZipFamily + " name='x'"},
      {" /X:CAB,7Y=*.7Y x", "flags=C cab=*.CAB", "Unknown archive kind. : 7Y\n", kFail},
      {" /X:=a x", "flags=", "Unknown archive kind. : \n", kFail},
  });
  CheckCommandRows(
      {{" /-Z x", "flags= zip=old.zip name='x'"}, {" /Z x", "flags=Z zip=*.ZIP name='x'"}}, start);
}

// /K: a code page, or the OEM one (850); one the system lacks (here those
// ending in 52) fails the command line and is passed over in the defaults.
TEST(CommandLine, CodePageOfNamesStoredAsBytes) {
  const ParserFacts facts{Utc, false, 850, [](std::uint32_t page) { return page % 100 != 52; }};
  const std::string kLacks = " is not available on this system.\n";
  const Row rows[] = {{" /K:932 -U x", "flags=U codepage=932 name='x'"},
                      {" /k65001 /K x", "flags= codepage=850 name='x'"},
                      {" /K:437 /-K x", "flags= name='x'"},
                      {" /K:abc", "flags=", "Code page abc" + kLacks, kFail},
                      {" /K:99999", "flags=", "Code page 99999" + kLacks, kFail},
                      {" /K:1252", "flags=", "Code page 1252" + kLacks, kFail},
                      {"/K:932 /K:1252 /U", "flags=U codepage=932"}};
  for (const Row& row : rows) {
    const Result result =
        row.text[0] == '/' ? Defaults(row.text, Fresh(), facts) : Command(row.text, Fresh(), facts);
    EXPECT_EQ(result.settings + "|" + result.errors, row.settings + "|" + row.errors) << row.text;
    EXPECT_EQ(result.outcome.kind, row.kind) << row.text;
  }
}

TEST(CommandLine, Sizes) {
  CheckCommandRows({
      {" /S100 x", "flags= size=100 name='x'"},
      {" /S:100 x", "flags= size=100 name='x'"},
      {" /S1,024K x", "flags= size=1048576 name='x'"},
      {" /S1.5M x", "flags= size=1572864 name='x'"},
      {" /S5000M x", "flags= size=5242880000 name='x'"},
      {" /S:5000M-5200M x", "flags= size5242880000-5452595200 name='x'"},
      {" /S100-100 x", "flags= size=100 name='x'"},
      {" /S200-100 x", "flags= size200-100 name='x'"},
      {" /S1k-2K x", "flags= size1024-2048 name='x'"},
      {" /S-0 x", "flags= size-0 name='x'"},
      {" /S-1K x", "flags= size-1024 name='x'"},
      {" /S10- x", "flags= size10- name='x'"},
      {" /S10-K x", "flags= size10- name='K x'"},
      {" /S10bytes x", "flags= size=10 name='x'"},
      {"/S1 -N", "flags=N size=1"},
      {" /S x", "flags=", kSizeMissing, kFail},
      {" /S", "flags=", kSizeMissing, kFail},
      {" /S: x", "flags=", kSizeMissing, kFail},
  });
}

TEST(CommandLine, DatesAndTimes) {
  CheckCommandRows({
      {" /D99/12/31 x", "flags= date=1999/12/31 name='x'"},
      {" /D:99/12/31 x", "flags= date=1999/12/31 name='x'"},
      {" /D99/1/1- x", "flags= date1999/1/1- name='x'"},
      {" /D-99/1/1 x", "flags= date-1999/1/1 name='x'"},
      {" /D99/1/1-00/1/1 x", "flags= date1999/1/1-2000/1/1 name='x'"},
      {" /D99/1/1-1999/1/1 x", "flags= date=1999/1/1 name='x'"},
      {" /DT x", "flags= date=2026/3/31 name='x'"},
      {" /DT- x", "flags= date2026/3/31- name='x'"},
      {" /D-TD1 x", "flags= date-2026/3/30 name='x'"},
      {" /DTD7- x", "flags= date2026/3/24- name='x'"},
      {" /DTD7-t x", "flags= date2026/3/24-2026/3/31 name='x'"},
      {" /D99/1/1-x", "flags= date1999/1/1- name='x'"},
      {" /D99/1/1x", "flags= date=1999/1/1 name='x'"},
      {"/D99/1/1 -N", "flags=N date=1999/1/1"},
      {" /T12:30 x", "flags= time=12:30:00 name='x'"},
      {" /T9:00-17:00 x", "flags= time9:00:00-17:00:00 name='x'"},
      {" /TNH1- x", "flags= time13:25:36- name='x'"},
      {" /T-N x", "flags= time-14:25:36 name='x'"},
      {" /T9:00-n x", "flags= time9:00:00-14:25:36 name='x'"},
      {" /T25:00 x", "flags= time=25:00:00 name='x'"},
      {" /D44/01/01 x", "flags=", "Year must be smaller than or equal 2043.\n", kFail},
      {" /D99/1/1-44/1/1 x", "flags= date1999/1/1-", "Year must be smaller than or equal 2043.\n",
       kFail},
      {" /D99/12 x", "flags=", "Invalid date parameter.\n", kFail},
      {" /T32:00 x", "flags=", "Hour must be smaller than or equal 31.\n", kFail},
      {" /T12 x", "flags=", "Invalid date parameter.\n", kFail},
      {" /T12:64 x", "flags=", "Minute must be smaller than or equal 63.\n", kFail},
      {" /T12:00:70 x", "flags=", "Second must be smaller than or equal 63.\n", kFail},
  });
}

TEST(CommandLine, InvalidOptionsAndHelp) {
  CheckCommandRows({
      {" /Q", "flags=", kInvalid + "Q\n", kFail},
      {" /q", "flags=", kInvalid + "q\n", kFail},
      {" *.txt /1", "flags= name='*.txt '", kInvalid + "1\n", kFail},
      {" / x", "flags=", kInvalid + " \n", kFail},
      {" x /", "flags= name='x '", kInvalid + "\n", kFail},
      {" /U /Q /O", "flags=U", kInvalid + "Q\n", kFail},
      {" /?", "flags=", "", kUsage},
      {" x /h y", "flags= name='x '", "", kUsage},
      {" x -H", "flags= name='x '", "", kUsage},
      // The message names a UTF-8 character whole.
      {" /表 x", "flags=", kInvalid + "表\n", kFail},
  });
}

TEST(CommandLine, FileNameTextAndWordStarts) {
  CheckCommandRows({
      {" my-file.txt", "flags= name='my-file.txt'"},
      {" foo -N", "flags=N name='foo '"},
      {" foo bar\tbaz", "flags= name='foo bar\tbaz'"},
      {" \"my file /U -N.txt\" /O", "flags=O name='my file /U -N.txt '"},
      {" a\"b c\"d", "flags= name='ab cd'"},
      {" \"abc", "flags= name='abc'"},
      {" \"\"", "flags="},
      // Without leading blanks the first word does not start with a word start.
      {"-N", "flags= name='-N'"},
      // Options leave the word-start state as they found it.
      {"foo/U -N", "flags=U name='foo-N'"},
      {" /Zx -N", "flags=NZ zip=x"},
      // No byte of a UTF-8 character beyond ASCII is a blank, quote or switch.
      {" 表.txt \"日 本\"", "flags= name='表.txt 日 本'"},
  });
}

TEST(CommandLine, Templates) {
  CheckCommandRows({
      {" x [echo $F $Q]", "flags=rq creation=0x20 template='echo $F ' name='x '"},
      {" x {cmd $c$i$s $$C $X $a}", "flags=ris creation=0x30 template='cmd  $$C $X $a' name='x '"},
      {" x [a$", "flags=r creation=0x20 template='a$' name='x '"},
      {" x [a}b]", "flags=r creation=0x20 template='a}b' name='x '"},
      {" x [abc", "flags=r creation=0x20 template='abc' name='x '"},
      {" [cmd /h -N]  x", "flags=r creation=0x20 template='cmd /h -N' name='x'"},
      {" x [a$C] [b]", "flags=r creation=0x20 template='b' name='x '"},
      {" x [a$Q] {b}", "flags=rq creation=0x20 template='b' name='x '"},
      {" x []", "flags=r creation=0x20 name='x '"},
      {" x [echo 日本$C]", "flags=r creation=0x30 template='echo 日本' name='x '"},
  });
}

TEST(CommandLine, MessagesInJapanese) {
  SearchOptions japanese = Fresh();
  japanese.japanese = true;
  const std::string invalid = std::string("オプションが正しくありません. : ");
  CheckCommandRows(
      {
          {" /Q", "flags=J", invalid + "Q\n", kFail},
          {" /S", "flags=J", std::string("S オプションのパラメータが指定されていません.\n"), kFail},
          {" /D44/1/1", "flags=J", std::string("年の指定は 2043 年以前でなければなりません.\n"),
           kFail},
          {" /-J /Q", "flags=", kInvalid + "Q\n", kFail},
      },
      japanese);
  // The language in force when the error is met.
  CheckCommandRows({{" /J /Q", "flags=J", invalid + "Q\n", kFail}}, Fresh(932));
  CheckCommandRows({{" /J /Q", "flags=", kInvalid + "Q\n", kFail}}, Fresh(437));
}

TEST(CommandLine, OverlongNameOrTemplateIsRefused) {
  const std::string fits(519, 'a');
  std::string kanji;
  for (int i = 0; i < 519; ++i) kanji += "\xE8\xA1\xA8";  // 表
  struct LongRow {
    std::string text;
    bool fails;
    std::string message;
  };
  const LongRow rows[] = {
      {" " + fits, false, ""},
      {" " + fits + "   ", false, ""},
      {" " + fits + "b", true, "File name is too long.\n"},
      {" " + fits + " b", true, "File name is too long.\n"},
      {" \"" + fits + "b\"", true, "File name is too long.\n"},
      {" x [" + fits + "]", false, ""},
      {" x [" + fits + "$Q$C]", false, ""},
      {" x [" + fits + "b]", true, "Command line to run is too long.\n"},
      // The limit counts characters (UTF-16 units), not UTF-8 bytes.
      {" " + kanji, false, ""},
      {" " + kanji + "b", true, "File name is too long.\n"},
      {" " + kanji.substr(3) + "\xF0\x9F\x98\x80", true, "File name is too long.\n"},
      {" x [" + kanji + "]", false, ""},
      {" x [" + kanji + "b]", true, "Command line to run is too long.\n"},
  };
  for (const LongRow& row : rows) {
    const Result result = Command(row.text);
    EXPECT_EQ(result.outcome.kind, row.fails ? kFail : CommandLineOutcome::kContinue)
        << row.text.size();
    EXPECT_EQ(result.errors, row.message) << row.text.size();
  }
  SearchOptions japanese = Fresh();
  japanese.japanese = true;
  EXPECT_EQ(Command(" " + fits + "b", japanese).errors, std::string("ファイル名が長すぎます.\n"));
  EXPECT_EQ(Command(" x [" + fits + "b]", japanese).errors,
            std::string("実行するコマンドラインが長すぎます.\n"));

  SearchOptions options = Fresh();
  Capture capture;
  TextWriter errors(Capture::Sink, &capture, false);
  ParseCommandLine(" " + fits + "   ", options, {}, errors);
  EXPECT_EQ(options.fileNameText.view(), fits);
}

TEST(DefaultOptions, DifferFromTheCommandLine) {
  const struct {
    std::string text;
    std::string settings;
    std::string errors;
  } rows[] = {
      {"/J /O /U", "flags=JOU", ""},
      {"-J -O -U", "flags=JOU", ""},
      {"  x -U y.txt [cmd] \"q\" /O", "flags=OU", ""},
      {"/H /? /Q /1 / /U", "flags=U", ""},
      {"/-X /-N /U", "flags=U", ""},
      {"/UX/O", "flags=U", ""},
      {"/S /U", "flags=U size=0", ""},
      {"/S", "flags= size=0", ""},
      {"/S5-/U", "flags=U size5-", ""},
      {"/S1-2-U", "flags=U size1-2", ""},
      {"/D99/1/1/U", "flags=U date=1999/1/1", ""},
      {"/D99/1/1x /U", "flags=U date=1999/1/1", ""},
      {"/E", "flags=E", ""},
      {"/A:H!S /Z /Cx.cab /L /F2 /N /P /T12:00",
       "flags=CLNPZ attr=+02-04 time=12:00:00 form=2 cab=x.cab lzh=*.LZH zip=*.ZIP", ""},
      {"/D44/1/1 /U", "flags=U", "Year must be smaller than or equal 2043.\n"},
      {"/D99/1/1-44/1/1 /U", "flags=U date1999/1/1-", "Year must be smaller than or equal 2043.\n"},
      {"/T32:00 /T12 /T1:99 /T1:00:99 /U", "flags=U",
       "Hour must be smaller than or equal 31.\nInvalid date parameter.\n"
       "Minute must be smaller than or equal 63.\nSecond must be smaller than or equal 63.\n"},
  };
  for (const auto& row : rows) {
    const Result result = Defaults(row.text);
    EXPECT_EQ(result.settings, row.settings) << row.text;
    EXPECT_EQ(result.errors, row.errors) << row.text;
  }
  SearchOptions japanese = Fresh();
  japanese.japanese = true;
  EXPECT_EQ(Defaults("/D44/1/1", japanese).errors,
            std::string("年の指定は 2043 年以前でなければなりません.\n"));
  EXPECT_EQ(Defaults("/J /T1:99").errors, std::string("分の指定は 63 以下でなければなりません.\n"));
}

TEST(DefaultOptions, NegationsAndFailuresKeepEarlierSettings) {
  SearchOptions start = Fresh();
  start.sizeMode = RangeMode::Equal;
  start.sizeValue = 7;
  start.findExecutable = true;
  start.dateMode = RangeMode::Equal;
  start.dateValue = PackDosDate(19, 1, 1);
  start.dateLow = PackDosDate(19, 1, 1);
  EXPECT_EQ(Defaults("/-S /-E", start).settings, "flags= date=1999/1/1");
  const Result failed = Defaults("/D99/99/1", start);
  EXPECT_EQ(failed.settings, "flags=E date=1999/1/1 size=7");
  EXPECT_EQ(failed.errors, "Invalid date parameter.\n");
}

TEST(OptionLayers, LaterLayersOverrideEarlierOnes) {
  SearchOptions options = Fresh();
  Capture capture;
  TextWriter errors(Capture::Sink, &capture, false);
  const ParserFacts facts{Utc};
  ParseDefaultOptions("/J /O /U /Z /S5", options, facts, errors);
  ParseDefaultOptions("/F2 /-Z", options, facts, errors);
  ParseCommandLine(" *.txt /-J /-O /-U /S-10 /A:R", options, facts, errors);
  EXPECT_EQ(Describe(options), "flags= attr=+01-00 size-10 form=2 zip=*.ZIP name='*.txt '");
}

TEST(HelpRequest, Rows) {
  const struct {
    const char* text;
    bool help;
  } rows[] = {
      {" /?", true},   {" /h", true},   {" /H", true},    {"x/h", true},       {" -?", true},
      {" -h", true},   {" \t-H", true}, {" -x -h", true}, {" [cmd /h]", true}, {" \"a /?\"", true},
      {"", false},     {" ", false},    {" x-h", false},  {"-h", false},       {" /x?", false},
      {" //?", false}, {" -/h", false}, {" x", false},    {" /-h", false},     {" /U /O x", false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(IsHelpRequest(row.text), row.help) << row.text;
  }
}

TEST(Size, Values) {
  const struct {
    const char* text;
    std::uint64_t value;
    std::size_t next;
  } rows[] = {
      {"100", 100, 3},
      {"1,024K", 1048576, 6},
      {"1.5M", 1572864, 4},
      {"1.5m", 1572864, 4},
      {"0.5k", 512, 4},
      {"5000M", 5242880000u, 5},
      {"1.5G", 1610612736u, 4},
      {"2t", 2199023255552u, 2},
      {"4294967296", 4294967296u, 10},
      {"9007199254740993", 9007199254740993u, 16},
      {"18446744073709551616", 18446744073709551615u, 20},
      {"16777216T", 18446744073709551615u, 9},
      {"16777215.5T", 18446743523953737728u, 11},
      {"99999999999999999999999999999999", 18446744073709551615u, 32},
      {"1.9", 1, 3},
      {"1.2.3", 1, 5},
      {".5K", 512, 3},
      {"", 0, 0},
      {"abc def", 0, 3},
      {"12x34-5", 12, 5},
      {"12-5", 12, 2},
      {"7\t", 7, 1},
  };
  for (const auto& row : rows) {
    std::uint64_t value = 99;
    EXPECT_EQ(ParseSize(row.text, 0, value), row.next) << row.text;
    EXPECT_EQ(value, row.value) << row.text;
  }
}

TEST(SkipWord, Rows) {
  const struct {
    const char* text;
    std::size_t from, to;
  } rows[] = {{"abc  def", 0, 5}, {"abc  def", 1, 5}, {"  x", 0, 2},
              {"abc", 0, 3},      {"a\t \tb", 0, 4},  {"", 0, 0}};
  for (const auto& row : rows) EXPECT_EQ(SkipWord(row.text, row.from), row.to) << row.text;
}

TEST(Template, ExtractMovesPastTheBlanksBehind) {
  SearchOptions options = Fresh();
  std::size_t position = 2;
  EXPECT_TRUE(ExtractCommandTemplate("x {a $s}  y", position, options));
  EXPECT_EQ(position, 10u);
  EXPECT_EQ(options.commandTemplate.view(), "a ");
  EXPECT_TRUE(options.shortNames);
}

}  // namespace

namespace {

// What the options mean together: the form and the commands under an archive
// search, the details needed, and the names /E refuses.
TEST(SettleOptions, ArchivesFormCommandsAndDetails) {
  struct Row {
    int form;
    bool zip, command, lookup;
    std::uint16_t attributes;
    const char* name;
    // Expected: refused, form, runCommand, runCommandOnMembers, needDetails.
    bool refused;
    int settledForm;
    bool onFiles, onMembers, details;
  } rows[] = {
      {2, true, true, false, 0, "x", false, 1, false, true, true},
      {2, false, true, false, 0, "x", false, 2, true, false, true},
      {0, true, true, false, 0, "x", false, 0, false, true, false},
      {0, false, false, false, kAttrHidden, "x", false, 0, false, false, true},
      {2, true, true, true, 0, "x", false, 1, true, false, true},  // /E finds no members
      {0, false, false, true, 0, "a*", true, 0, false, false, false},
      {0, false, false, true, 0, "a?", true, 0, false, false, false},
  };
  for (const Row& row : rows) {
    SearchOptions o;
    o.form = row.form;
    WantOf(o, *ArchiveFormatForOption('Z')).wanted = row.zip;
    o.runCommand = row.command;
    o.findExecutable = row.lookup;
    o.attributesRequired = row.attributes;
    o.fileNameText.Assign(row.name);
    EXPECT_EQ(!SettleOptions(o, true).empty(), row.refused) << row.name;
    if (row.refused) continue;
    EXPECT_EQ(o.form, row.settledForm) << row.form;
    EXPECT_EQ(o.runCommand, row.onFiles) << row.form;
    EXPECT_EQ(o.runCommandOnMembers, row.onMembers) << row.form;
    EXPECT_EQ(o.needDetails, row.details) << row.form;
  }
}

}  // namespace
