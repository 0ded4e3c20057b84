// The flow the three archive readers share: finding the first header behind
// a self-extracting stub, the member filter, the short and long member lines
// with the per-archive heading, the totals and the command per member.
//
// Each reader decodes its own records and, for every member, calls
// MemberPassesFilters, matches the name (wildcard.h) and hands what it found
// to MemberListing::List. The listing reads the settings and the archive path
// from the run's context and adds to its totals; what it prints and the
// commands it runs go to a MemberSink, so that the flow is tested without a
// console.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "common/bounded_text.h"
#include "finder/archive/byte_source.h"
#include "finder/listing/listing_lines.h"
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
  // or a calendar stamp as it is.
  CalendarTime clock;
  std::uint64_t size = 0;
  std::uint32_t attributes = 0;
};

// ZIP and LHA print "Archive file of" headings and zero-padded hours; Cabinet
// files print "Cabinet file of" headings and an hour below 10 with a blank.
enum class ArchiveStyle { Archive, Cabinet };

// Where the listing goes. StandardMemberReading() (archive_format.h) has the
// one that writes to standard output, counts lines for paging under /P and
// runs the user's command.
class MemberSink {
 public:
  virtual ~MemberSink() = default;
  virtual void Write(std::string_view text) = 0;
  // Called once after each line written while /P is on.
  virtual void LineWritten() = 0;
  // The command for the member listed last, `memberName` as listed.
  virtual void RunCommand(std::string_view memberName) = 0;
  // True once the run has stopped (its output gone, Cancel at a query):
  // nothing more is listed.
  virtual bool Stopped() const { return false; }
};

// The long line up to its name, which follows it: "yy/mm/dd  hh:mm:ss", the
// size with digit grouping ending in column 31 (a wider number pushes the
// rest right), the letters SHRA from column 33, the name from column 38.
template <std::size_t N>
void AppendMemberLongColumns(BoundedText<N>& line, const ListedMember& member, ArchiveStyle style) {
  AppendLongColumns(line, member.clock, member.size, member.attributes, false,
                    style == ArchiveStyle::Cabinet);
}

// The heading in front of an archive's first member in the long form is
// three lines: an empty one, this label followed by the archive's path, and
// another empty one. The label in the chosen language.
std::string_view MemberHeadingLabel(ArchiveStyle style, bool japanese);

// The per-archive state of the listing (heading written, short-line prefix).
// Make one at the point where a reader starts listing an archive.
class MemberListing {
 public:
  MemberListing(RunContext& run, MemberSink& sink, ArchiveStyle style = ArchiveStyle::Archive)
      : run_(run), sink_(sink), style_(style) {}

  const SearchOptions& options() const { return run_.options; }
  const SearchPattern& pattern() const { return run_.pattern; }

  // Lists one member that passed the filters and matched the pattern: its
  // line (short form: archive path, " : ", name; long form: the heading once,
  // then the long line), unless /N; the totals; the command when one is to
  // run for members. False when the sink has stopped (the member is then
  // neither listed nor counted): the reader then ends the archive.
  //
  // A line too long for the line buffer is written in its parts rather than
  // built whole: the archive path and the name may each reach the platform's
  // 32,767 units, and a buffer for both would be twice a path for every
  // archive. So no line is too long to be written whole, and no member is
  // passed over, nor its archive ended, because its path and its name are
  // long together.
  bool List(const ListedMember& member);

 private:
  RunContext& run_;
  MemberSink& sink_;
  ArchiveStyle style_;
  bool headingDone_ = false;
  // A line of the usual length is built here and written in one piece, the
  // short line behind the archive path put in front once per archive; a
  // longer one is written in its parts.
  BoundedText<1024> line_;
  std::size_t nameStart_ = 0;  // behind the short line's " : "; 0 when it did not fit
  bool prefixDone_ = false;
};
