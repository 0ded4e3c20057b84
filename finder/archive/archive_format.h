// The archive kinds the search looks inside, in one table that owns every
// fact about a kind: its name, the option letter that asks for it and the
// archive names that option looks for by default, how its first header is
// found (libarchive's per-format bid: here a fixed header, its size, key byte
// and test, found by a forward scan behind a self-extracting stub or at a
// fixed offset), its usage lines and its reader. The option parsers, the
// configurator, the usage text and the walk all read the table: a new kind is
// one reader file and one row in archive_format.cpp.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "finder/archive/byte_source.h"
#include "finder/archive/member_listing.h"
#include "finder/archive/utf8_member_name.h"
#include "finder/records/run_context.h"
#include "finder/records/search_options.h"

// What every reader is given besides the archive's bytes.
struct MemberReading {
  MemberList& listing;                   // the settings, the pattern, where members go
  LocalTimeConverter toLocal = nullptr;  // UTC stamps to local time (LHA levels 2 and 3)
  OemDecoder fromOem = nullptr;          // ZIP names without the UTF-8 flag, where OEM is not ANSI
  CodePageDecoder fromCodePage = nullptr;  // names stored as bytes, under /K
};

// How the reader reads names stored as bytes of a code page: in the ANSI
// code page, or under /K (with a decoder) in the one the user named.
ByteNameCodes ByteNameCodesOf(const MemberReading& reading);

// Lists the matching members of one archive. `file` stands just behind the
// first fixed header, whose bytes are `firstHeader` (the format's header
// size). Members are matched against the pattern (utf8_member_name.h), filtered by the criteria of
// the run's options and handed to the sink; any damage ends the listing quietly, members listed
// before it stay listed. Reads headers only.
using MemberReader = void (*)(ByteSource& file, std::span<const std::uint8_t> firstHeader,
                              const MemberReading& reading);

// Where a kind's first header stands.
enum class HeaderPlace : std::uint8_t {
  Scan,    // at the start, or behind a self-extracting stub: the first place it passes its test
  Offset,  // at `headerOffset` and nowhere else
};

struct ArchiveFormat {
  std::string_view name;          // as /X names it: ZIP, LZH, CAB, 7Z, RAR, TAR, TGZ...
  char option;                    // the option letter that asks for it (/L, /Z, /C), or none
  std::string_view archiveNames;  // the archives' names when the option names none
  HeaderFormat firstHeader;
  HeaderPlace place = HeaderPlace::Scan;
  std::uint64_t headerOffset = 0;
  MemberReader list = nullptr;
  // Its lines of the usage text, English and Japanese, each ending in "\n".
  std::string_view usage[2];
  ArchiveStyle style = ArchiveStyle::Archive;  // of its member lines
  // The archives' names when /X names none, separated by "|" (kArchiveNameBreak);
  // archiveNames when empty.
  std::string_view everyNames = {};
  // Its member list comes only by decompressing a whole stream: /X:* turns it
  // on, /X alone does not.
  bool wholeStream = false;
};

// In the order the archive passes of a directory run: LHA, ZIP, Cabinet, 7z,
// RAR, tar, the compressed tars, disc images, installer packages. At most
// kArchiveKindLimit rows.
extern const std::span<const ArchiveFormat> kArchiveFormats;

// The row of that kind name (in either case), or of that option letter
// (upper case), or null.
const ArchiveFormat* ArchiveFormatNamed(std::string_view name);
const ArchiveFormat* ArchiveFormatForOption(char letter);

// What the run's options say about the kind of `format`, a row of the table.
ArchiveWant& WantOf(SearchOptions& options, const ArchiveFormat& format);
const ArchiveWant& WantOf(const SearchOptions& options, const ArchiveFormat& format);

// Finds the format's first header in `file` (positioned at its start) and
// hands the archive to its reader; nothing when there is no such header.
void ListArchiveMembers(const ArchiveFormat& format, ByteSource& file,
                        const MemberReading& reading);
