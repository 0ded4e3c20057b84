#include "finder/archive/member_listing.h"

#include <cstring>

#include "finder/listing/listing_lines.h"
#include "finder/records/entry_filter.h"

namespace {

// The scan reads the file in blocks of this size; a header is tested in the
// block when it lies wholly inside it, else read from the file.
constexpr std::size_t kScanBlock = 1024;
static_assert(kScanBlock >= 2 * kLargestFirstHeader);

}  // namespace

bool FindFirstHeader(ByteSource& file, const HeaderFormat& format, std::span<std::uint8_t> record) {
  const std::size_t size = format.size;
  if (size == 0 || size > kLargestFirstHeader || format.keyOffset >= size || record.size() < size)
    return false;
  const std::uint64_t origin = file.Position();

  std::uint8_t block[kScanBlock];
  if (file.Read(block, size) != size) return false;
  if (format.passes({block, size})) {
    std::memcpy(record.data(), block, size);
    return true;
  }

  // The first block holds the bytes already read and the ones behind them;
  // its first key byte is not looked at (the header it would start failed).
  std::uint64_t blockStart = origin;
  std::size_t filled = size + file.Read(block + size, kScanBlock - size);
  std::size_t from = 1;
  for (;;) {
    for (std::size_t i = from; i < filled; ++i) {
      const void* next = std::memchr(block + i, format.key, filled - i);
      if (!next) break;
      i = static_cast<std::size_t>(static_cast<const std::uint8_t*>(next) - block);
      // A key byte so near the start that its header would begin in front of
      // the file (LHA's key is its third byte).
      if (blockStart - origin + i < format.keyOffset) continue;
      const std::uint64_t headerStart = blockStart + i - format.keyOffset;

      bool passes;
      if (i >= format.keyOffset && i - format.keyOffset + size <= filled) {
        passes = format.passes({block + i - format.keyOffset, size});
      } else {
        // The header straddles the block's edge: read it where it lies, then
        // come back to where the scan left the file.
        std::uint8_t header[kLargestFirstHeader];
        if (!SkipTo(file, headerStart)) return false;
        passes = file.Read(header, size) == size && format.passes({header, size});
        if (!SkipTo(file, blockStart + filled)) return false;
      }
      if (passes) {
        return SkipTo(file, headerStart) && file.Read(record.data(), size) == size;
      }
    }
    blockStart += filled;
    filled = file.Read(block, kScanBlock);
    if (filled == 0) return false;
    from = 0;
  }
}

bool MemberPassesDateTimeSize(const SearchOptions& options, std::uint16_t date, std::uint16_t time,
                              std::uint64_t size) {
  const DosDateTime stamp{date, time};
  return MatchesDateTimeSize(options, &stamp, size);
}

bool MemberPassesAttributes(const SearchOptions& options, std::uint32_t attributes) {
  return MatchesAttributes(options, attributes);
}

bool MemberPassesFilters(const SearchOptions& options, std::uint16_t date, std::uint16_t time,
                         std::uint64_t size, std::uint32_t attributes) {
  return MemberPassesDateTimeSize(options, date, time, size) &&
         MemberPassesAttributes(options, attributes);
}

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

bool MemberListing::List(const ListedMember& member) {
  const SearchOptions& options = run_.options;
  const bool paged = options.pausePerScreen;
  if (sink_.Stopped()) return false;

  if (options.form == 0) {
    if (!prefixDone_) {
      prefixDone_ = true;
      line_.Assign(run_.archivePath);
      line_.Append(" : ");
      nameStart_ = line_.truncated() ? 0 : line_.size();
    }
    if (!options.noEcho) {
      line_.Resize(nameStart_);
      if (nameStart_ != 0 && line_.Append(member.name) && line_.Append('\n')) {
        sink_.Write(line_.view());
      } else {
        for (std::string_view part : {std::string_view(run_.archivePath), std::string_view(" : "),
                                      member.name, std::string_view("\n")})
          sink_.Write(part);
      }
      if (paged) sink_.LineWritten();
    }
  } else {
    if (!headingDone_) {
      headingDone_ = true;  // also under /N: an archive gets at most one heading
      if (!options.noEcho) WriteHeading(sink_, run_.archivePath, style_, options.japanese, paged);
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
