// The settings of one run of TLVC and the small value types the search shares.
//
// One record for the whole run, zero at start except where a default is
// named. The start-up fills it from three layers (the default options in the
// string table, the TLVC environment variable, the command line); from the
// search on it is read-only except for `lineCount` (the paging count), the
// /E lookup's clearing of `attributesRequired` (a program is no directory)
// and `statusText`, which takes the finish message at the end.
#pragma once

#include <array>
#include <cstdint>

#include "common/bounded_text.h"
#include "common/message_table.h"
#include "finder/records/calendar.h"

// How a date, time or size criterion compares; all bounds inclusive.
enum class RangeMode : std::uint8_t { None, Equal, AtLeast, AtMost, Between };

// Attribute bits, as the platform's directory search reports them.
enum FileAttribute : std::uint32_t {
  kAttrReadOnly = 0x01,
  kAttrHidden = 0x02,
  kAttrSystem = 0x04,
  kAttrDirectory = 0x10,
  kAttrArchive = 0x20,
  kAttrReparsePoint = 0x400,  // a junction or a symbolic link
};

inline constexpr std::size_t kPathSize = 260;  // a name or a pattern, terminator included
// The same in UTF-8, three bytes a UTF-16 unit at most.
inline constexpr std::size_t kNameSize = 3 * kPathSize;
// The platform's longest path and longest command line: 32,767 UTF-16 units
// and a terminator.
inline constexpr std::size_t kPlatformPathUnits = 32768;
inline constexpr std::size_t kCommandLineUnits = 32768;
// The same in UTF-8, three bytes a unit at most: a path of the walk and an
// expanded command, terminator included.
inline constexpr std::size_t kLongPathSize = 3 * kPlatformPathUnits;
inline constexpr std::size_t kCommandLineSize = 3 * kCommandLineUnits;
// The file name and the command template as typed: 519 characters (UTF-16
// units) and a terminator, held in UTF-8.
inline constexpr std::size_t kCommandSize = 520;
inline constexpr std::size_t kDefaultOptionSize = 1024;
inline constexpr std::size_t kPromptSize =
    msg::kMessageBufferSize;  // a message of the string table

using PathText = BoundedText<kPathSize>;
using NameText = BoundedText<kNameSize>;
using CommandText = BoundedText<3 * kCommandSize>;
using LongPathText = BoundedText<kLongPathSize>;
using CommandLineText = BoundedText<kCommandLineSize>;
using PromptText = BoundedText<kPromptSize>;

// The archive kinds a run looks inside, one entry for each row of the table
// of kinds (archive_format.h) in its order; the table has room for this many.
inline constexpr std::size_t kArchiveKindLimit = 16;
// The most levels of archives inside archives that /M opens.
inline constexpr int kInnerArchiveLevels = 3;
// Between the archive names of one kind that /X gives: no file name holds it.
inline constexpr char kArchiveNameBreak = '|';
struct ArchiveWant {
  bool wanted = false;
  // The archives' names, as given with the option or the kind's default;
  // several are separated by kArchiveNameBreak.
  NameText pattern;
};

struct SearchOptions {
  // Flags.
  bool needDetails = false;           // attributes or listing details of members are needed
  bool findExecutable = false;        // /E
  bool japanese = false;              // /J: input code page 932, or 65001 for a Japanese user
  bool noEcho = false;                // /N
  bool searchOrdinary = false;        // /O
  bool pausePerScreen = false;        // /P
  bool searchSubdirectories = false;  // /U
  bool wholeMemberPaths = false;      // /W: members listed by their stored paths
  // /M: the levels of archives stored whole inside archives that are opened
  // (0 to kInnerArchiveLevels).
  int innerArchiveLevels = 0;
  bool runCommand = false;           // a command template was given
  bool runCommandOnMembers = false;  // ... and an archive search is on
  bool queryBeforeRun = false;       // $Q in the template
  bool noWait = false;               // $I in the template
  bool shortNames = false;           // $S in the template

  std::array<ArchiveWant, kArchiveKindLimit> archives;  // /L, /Z, /C, /X
  // /K: the code page of member names stored as bytes; 0: the ANSI code
  // page's bytes (a ZIP's names also the OEM code page's, or UTF-8).
  std::uint32_t memberCodePage = 0;

  // Criteria.
  std::uint16_t attributesRequired = 0;  // /A letters: every bit must be set
  std::uint16_t attributesExcluded = 0;  // /A letters behind ! or -: no bit may be set
  RangeMode dateMode = RangeMode::None;
  std::uint16_t dateValue = 0, dateLow = 0, dateHigh = 0;
  RangeMode timeMode = RangeMode::None;
  std::uint16_t timeValue = 0, timeLow = 0, timeHigh = 0;
  RangeMode sizeMode = RangeMode::None;
  std::uint64_t sizeValue = 0, sizeLow = 0, sizeHigh = 0;

  // Listing and actions.
  int form = 0;                     // 0, 1 or 2
  std::uint32_t creationFlags = 0;  // 0x20 once a template is given, 0x30 with $C
  CommandText commandTemplate;      // the template without its switches
  CommandText fileNameText;         // the file name as typed

  // Facts of the run.
  std::uint32_t ansiCodePage = 0;
  std::uint32_t consoleCodePage = 0;
  std::int64_t startTime = 0;  // seconds since 1970, taken once at start
  PromptText pausePrompt;
  // A loaded message of up to 79 bytes and its carriage return.
  BoundedText<kPromptSize + 1> queryPrompt;
  PromptText statusText;
  int pageLines = 23;
  int lineCount = 0;
  // The console's width for each stream that is the console; 0 for one that
  // is redirected, whose lines page as written.
  int outputColumns = 0, errorColumns = 0;
};

// Whether the run looks inside archives of any kind.
inline bool AnyArchiveWanted(const SearchOptions& options) {
  for (const ArchiveWant& want : options.archives)
    if (want.wanted) return true;
  return false;
}

// Count of entries and members found and the sum of their sizes; never reset.
struct SearchTotals {
  std::uint32_t count = 0;
  std::uint64_t bytes = 0;
};

// One entry of the platform's directory search.
struct FileEntry {
  std::uint32_t attributes = 0;
  std::uint64_t lastWriteTime = 0;  // FILETIME, UTC, 100 ns since 1601
  std::uint64_t size = 0;
  char name[kNameSize] = {};    // long name
  char shortName[3 * 13] = {};  // 8.3 name; empty when the long name is one
};
