// Archive members as the listing shows them: the short and the long member
// lines with the per-archive heading, the totals and the command per member.
// What it prints and the commands it runs go to a MemberSink, so that the
// flow is tested without a console.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "common/bounded_text.h"
#include "finder/archive/member_listing.h"
#include "finder/listing/listing_lines.h"
#include "finder/records/run_context.h"

// Where the listing goes. StandardMemberSink (finder/app) is the one that
// writes to standard output, counts lines for paging under /P and
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
// Make one for each archive, and hand it to the archive's reader.
class MemberListing final : public MemberList {
 public:
  MemberListing(RunContext& run, MemberSink& sink, ArchiveStyle style = ArchiveStyle::Archive)
      : MemberList(run), run_(run), sink_(sink), style_(style), shownArchive_(run.archivePath) {}

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
  bool List(const ListedMember& member) override;

  // An archive stored in this one is shown as this one's name, " : " and its
  // name as listed here, in its headings and in front of its members' short
  // lines. Once it has written a heading, the next member of this one (or of
  // an archive around it) writes its own heading again.
  std::unique_ptr<MemberList> Inner(std::string_view listedName, ArchiveStyle style) override;
  bool Stopped() const override { return sink_.Stopped(); }

 private:
  MemberListing(MemberListing& outer, std::string_view listedName, ArchiveStyle style);

  RunContext& run_;
  MemberSink& sink_;
  ArchiveStyle style_;
  MemberListing* outer_ = nullptr;  // the listing of the archive this one is stored in
  std::string innerName_;           // an inner archive's shown name: the outer's, " : ", its own
  std::string_view shownArchive_;   // the archive's path, or innerName_
  bool headingDone_ = false;
  // A line of the usual length is built here and written in one piece, the
  // short line behind the archive path put in front once per archive; a
  // longer one is written in its parts.
  BoundedText<1024> line_;
  std::size_t nameStart_ = 0;  // behind the short line's " : "; 0 when it did not fit
  bool prefixDone_ = false;
};
