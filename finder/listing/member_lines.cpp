#include "finder/listing/member_lines.h"

std::string_view MemberHeadingLabel(ArchiveStyle style, bool japanese) {
  if (japanese) return "アーカイブファイル名 : ";
  return style == ArchiveStyle::Cabinet ? "Cabinet file of " : "Archive file of ";
}

namespace {

// The heading is written in its parts, like the member lines: the archive's
// path may be long, and no buffer for it is kept.
void WriteHeading(MemberSink& sink, std::string_view archivePath, ArchiveStyle style, bool japanese,
                  bool paged) {
  if (paged) {
    sink.Write("\n");
    sink.LineWritten();
    for (std::string_view part :
         {MemberHeadingLabel(style, japanese), archivePath, std::string_view("\n")})
      sink.Write(part);
    sink.LineWritten();
    sink.Write("\n");
    sink.LineWritten();
  } else {
    for (std::string_view part : {std::string_view("\n"), MemberHeadingLabel(style, japanese),
                                  archivePath, std::string_view("\n\n")})
      sink.Write(part);
  }
}

}  // namespace

MemberListing::MemberListing(MemberListing& outer, std::string_view listedName, ArchiveStyle style)
    : MemberList(outer.run_, outer.level() + 1),
      run_(outer.run_),
      sink_(outer.sink_),
      style_(style),
      outer_(&outer) {
  innerName_.reserve(outer.shownArchive_.size() + 3 + listedName.size());
  innerName_.append(outer.shownArchive_).append(" : ").append(listedName);
  shownArchive_ = innerName_;
}

std::unique_ptr<MemberList> MemberListing::Inner(std::string_view listedName, ArchiveStyle style) {
  return std::unique_ptr<MemberList>(new MemberListing(*this, listedName, style));
}

bool MemberListing::List(const ListedMember& member) {
  const SearchOptions& options = run_.options;
  const bool paged = options.pausePerScreen;
  if (sink_.Stopped()) return false;

  if (options.form == 0) {
    if (!prefixDone_) {
      prefixDone_ = true;
      line_.Assign(shownArchive_);
      line_.Append(" : ");
      nameStart_ = line_.truncated() ? 0 : line_.size();
    }
    if (!options.noEcho) {
      line_.Resize(nameStart_);
      if (nameStart_ != 0 && line_.Append(member.name) && line_.Append('\n')) {
        sink_.Write(line_.view());
      } else {
        for (std::string_view part :
             {shownArchive_, std::string_view(" : "), member.name, std::string_view("\n")})
          sink_.Write(part);
      }
      if (paged) sink_.LineWritten();
    }
  } else {
    if (!headingDone_) {
      headingDone_ = true;  // also under /N: an archive gets at most one heading in a row
      if (!options.noEcho) WriteHeading(sink_, shownArchive_, style_, options.japanese, paged);
      for (MemberListing* around = outer_; around; around = around->outer_)
        around->headingDone_ = false;
    }
    if (!options.noEcho) {
      line_.Clear();
      AppendMemberLongColumns(line_, member, style_);
      const std::size_t columns = line_.size();
      if (line_.Append(member.name) && line_.Append('\n')) {
        sink_.Write(line_.view());
      } else {
        line_.Resize(columns);
        for (std::string_view part : {line_.view(), member.name, std::string_view("\n")})
          sink_.Write(part);
      }
      if (paged) sink_.LineWritten();
    }
    run_.totals.bytes += member.size;
  }
  ++run_.totals.count;

  if (options.runCommandOnMembers) sink_.RunCommand(member.name);
  return true;
}
