// The archive formats the search looks inside, in one table: what starts a
// format's first header (libarchive's per-format bid, here its fixed header
// size, the key byte and the test), the option that asks for it and its
// archive pattern, and its reader. A fourth format is one new reader file
// and one row in archive_format.cpp.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "finder/archive/byte_source.h"
#include "finder/archive/member_listing.h"
#include "finder/archive/utf8_member_name.h"
#include "finder/options/search_options.h"
#include "finder/search/search_state.h"

// What every reader is given besides the archive's bytes.
struct MemberReading {
  RunContext& run;                       // the settings, the pattern, the totals
  MemberSink& sink;                      // the listing and the user's command
  LocalTimeConverter toLocal = nullptr;  // UTC stamps to local time (LHA levels 2 and 3)
  OemDecoder fromOem = nullptr;          // ZIP names without the UTF-8 flag, where OEM is not ANSI
};

// Lists the matching members of one archive. `file` stands just behind the
// first fixed header, whose bytes are `firstHeader` (the format's header
// size). Members are matched against the pattern (utf8_member_name.h), filtered by the criteria of
// the run's options and handed to the sink; any damage ends the listing quietly, members listed
// before it stay listed. Reads headers only.
using MemberReader = void (*)(ByteSource& file, std::span<const std::uint8_t> firstHeader,
                              const MemberReading& reading);

struct ArchiveFormat {
  std::string_view name;
  bool SearchOptions::*wanted;       // the option that asks for it
  NameText SearchOptions::*pattern;  // the archives' names ("*.ZIP" unless named)
  HeaderFormat firstHeader;          // found behind a self-extracting stub too
  MemberReader list;
};

// In the order the archive passes of a directory run: LHA, ZIP, Cabinet.
extern const std::array<ArchiveFormat, 3> kArchiveFormats;

// The row of that name, or null.
const ArchiveFormat* ArchiveFormatNamed(std::string_view name);

// Finds the format's first header in `file` (positioned at its start) and
// hands the archive to its reader; nothing when there is no such header.
void ListArchiveMembers(const ArchiveFormat& format, ByteSource& file,
                        const MemberReading& reading);
