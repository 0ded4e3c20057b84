// The flow the archive readers share: finding the first header behind a
// self-extracting stub, the member filter, and the member each reader hands
// on.
//
// Each reader decodes its own records and, for every member, calls
// MemberPassesFilters, matches the name (utf8_member_name.h) and hands what
// it found to MemberList::List; the listing layer above turns it into lines,
// totals and commands (finder/listing/member_lines.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "finder/archive/byte_source.h"
#include "finder/records/run_context.h"
#include "finder/records/search_options.h"

// ---- Finding the first header ----------------------------------------------

// The largest fixed first header of any kind (a tar header).
inline constexpr std::size_t kLargestFirstHeader = 512;

// What FindFirstHeader looks for in one format.
struct HeaderFormat {
  std::size_t size;       // bytes of the fixed header (ZIP 30, LHA 21, Cabinet 36)
  std::size_t keyOffset;  // where the key byte stands in the header (LHA: 2)
  std::uint8_t key;       // 'P', '-', 'M'
  // The format's test on `size` bytes.
  bool (*passes)(std::span<const std::uint8_t> header);
};

// Takes the first position from the start of `file` at which a fixed header
// passes the format's test. True when one was found: its `format.size` bytes
// are in `record` (which must hold at least that many) and the file stands
// just behind them. False when there is none, or on any failed read or seek.
bool FindFirstHeader(ByteSource& file, const HeaderFormat& format, std::span<std::uint8_t> record);

// ---- The member filter ------------------------------------------------------

// The date, time and size criteria of `options`, each only when given.
// Dates and times compare as 16-bit numbers, sizes as unsigned numbers.
bool MemberPassesDateTimeSize(const SearchOptions& options, std::uint16_t date, std::uint16_t time,
                              std::uint64_t size);
// The must-have and must-not attribute masks.
bool MemberPassesAttributes(const SearchOptions& options, std::uint32_t attributes);
// Both, in the order date, time, size, attributes.
bool MemberPassesFilters(const SearchOptions& options, std::uint16_t date, std::uint16_t time,
                         std::uint64_t size, std::uint32_t attributes);

// ---- Listing a member --------------------------------------------------------

// Converts seconds since 1970 (UTC) to the local calendar time a member with
// a UTC stamp is shown and compared with; false when it cannot.
using LocalTimeConverter = bool (*)(std::int64_t secondsSince1970, CalendarTime* out);

struct ListedMember {
  std::string_view name;  // as shown and handed to the command
  // What the long line shows: a packed stamp unpacked with kMemberYearBits,
  // or a calendar stamp to the second (NearestDosMoment).
  CalendarTime clock;
  std::uint64_t size = 0;
  std::uint32_t attributes = 0;
};

// ZIP and LHA print "Archive file of" headings and zero-padded hours; Cabinet
// files print "Cabinet file of" headings and an hour below 10 with a blank.
enum class ArchiveStyle { Archive, Cabinet };

// Where a reader hands each member that passed the filters and matched the
// pattern; it reads the run's settings and pattern from here too.
class MemberList {
 public:
  // `level`: how deep inside other archives this one is stored (0 on disk).
  explicit MemberList(const RunContext& run, int level = 0) : run_(run), level_(level) {}
  virtual ~MemberList() = default;

  const SearchOptions& options() const { return run_.options; }
  const SearchPattern& pattern() const { return run_.pattern; }
  int level() const { return level_; }

  // Lists one member. False when the run has stopped (the member is then
  // neither listed nor counted): the reader then ends the archive.
  virtual bool List(const ListedMember& member) = 0;

  // With /M, whether archives stored whole among the members are opened: the
  // levels it asks for reach below this one.
  bool OpensInner() const { return run_.options.innerArchiveLevels > level_; }
  // The list for the members of an archive stored in this one, `listedName`
  // as this one lists that member, its lines in `style`; null when it has
  // none to give.
  virtual std::unique_ptr<MemberList> Inner(std::string_view /*listedName*/,
                                            ArchiveStyle /*style*/) {
    return nullptr;
  }
  // True once the run has stopped.
  virtual bool Stopped() const { return false; }

 private:
  const RunContext& run_;
  int level_;
};
