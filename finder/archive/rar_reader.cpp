// The walk over the blocks of a RAR archive. Both layouts are a chain of
// headers, each followed by a data area whose size it states; every data area
// is passed by a forward seek, so member data is never read. A header whose
// CRC fails, or whose fields run past it, ends the archive.
#include "finder/archive/rar_reader.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "finder/archive/inner_archives.h"
#include "finder/archive/member_name_part.h"
#include "finder/archive/member_walk.h"
#include "finder/archive/utf8_member_name.h"

namespace {

// A RAR 4 header read whole, a name with a terminator behind it, and the
// room to match and show it: made once per archive and left unset. A UTF-8
// name of more bytes than this is too long to list.
struct RarRoom {
  std::uint8_t header[0xFFFF];
  char name[3 * kMemberNameUnits + 1];
  MemberNameRoom names;
};

// What a member is listed with besides its name.
struct MemberFacts {
  CalendarTime clock;
  std::uint64_t size = 0;
  std::uint32_t attributes = 0;
};

class RarWalk : MemberWalk {
 public:
  RarWalk(ByteSource& file, const MemberReading& reading, RarRoom& room)
      : MemberWalk(file, reading), room_(room) {}

  // Each false when the listing of the archive has to end. The file stands
  // at the member's data, `dataSize` bytes.
  bool Rar5Member(const Rar5Block& block);
  bool Rar4Member(const Rar4Block& block, std::span<const std::uint8_t> header,
                  std::uint64_t dataSize);

 private:
  // How a member's name is stored.
  enum class NameForm { Utf8, Utf8Backslash, CodePage, Wide };
  // The member's name, `name` in `form` (a Wide name decoded in
  // room_.names.wide), as listed when it matches `pattern`. A name too long
  // to list matches nothing.
  bool ListedName(const SearchPattern& pattern, std::string_view name, NameForm form,
                  std::string_view& listed);
  bool Utf8Name(const SearchPattern& pattern, std::string_view name, bool backslashSeparates,
                std::string_view& listed);
  bool CodePageName(const SearchPattern& pattern, std::string_view name, std::string_view& listed);
  bool WideName(const SearchPattern& pattern, std::string_view& listed);
  // Lists the member when it passes the filters and its name matches, and
  // with /M opens it when it is an archive stored whole, `dataSize` bytes
  // from where the file stands. False when the listing has to end.
  bool Handle(std::string_view name, NameForm form, const MemberFacts& facts, bool passes,
              bool stored, std::uint64_t dataSize);
  // Copies `name` up to any 0 byte into room_.name, terminated; false when
  // it does not fit.
  bool TakeName(std::string_view& name, std::size_t limit);

  RarRoom& room_;
};

bool RarWalk::TakeName(std::string_view& name, std::size_t limit) {
  name = name.substr(0, name.find('\0'));
  if (name.size() > limit) return false;
  name.copy(room_.name, name.size());
  room_.name[name.size()] = '\0';
  name = {room_.name, name.size()};
  return true;
}

bool RarWalk::ListedName(const SearchPattern& pattern, std::string_view name, NameForm form,
                         std::string_view& listed) {
  switch (form) {
    case NameForm::Utf8:
    case NameForm::Utf8Backslash:
      return Utf8Name(pattern, name, form == NameForm::Utf8Backslash, listed);
    case NameForm::CodePage:
      return CodePageName(pattern, name, listed);
    case NameForm::Wide:
      return WideName(pattern, listed);
  }
  return false;
}

bool RarWalk::Utf8Name(const SearchPattern& pattern, std::string_view name, bool backslashSeparates,
                       std::string_view& listed) {
  if (!TakeName(name, sizeof room_.name - 1)) return false;
  std::size_t part = 0;
  for (std::size_t i = 0; i < name.size(); ++i)
    if (name[i] == '/' || (backslashSeparates && name[i] == '\\')) part = i + 1;
  return MatchUtf8Member(pattern, options_.wholeMemberPaths, room_.name, name.size(), part,
                         room_.names, listed);
}

bool RarWalk::CodePageName(const SearchPattern& pattern, std::string_view name,
                           std::string_view& listed) {
  if (!TakeName(name, kMemberNameUnits)) return false;
  // A second byte of a double-byte character may be 0x5C, never 0x2F.
  const auto after = [](std::size_t at) { return at == std::string_view::npos ? 0 : at + 1; };
  const std::size_t part = std::max(after(LastSeparator(name, '\\', codes_.isLeadByte)),
                                    after(LastSeparator(name, '/', nullptr)));
  if (!MatchCodePageName(pattern, name.substr(part), codes_, room_.names, listed)) return false;
  if (!options_.wholeMemberPaths) return true;
  std::replace(room_.name, room_.name + name.size(), '/', '\\');
  return ListCodePagePath(name, codes_, room_.names, listed);
}

bool RarWalk::WideName(const SearchPattern& pattern, std::string_view& listed) {
  char16_t* wide = room_.names.wide;
  std::size_t part = 0;
  for (std::size_t i = 0; wide[i] != 0; ++i) {
    if (wide[i] == u'/') wide[i] = u'\\';
    if (wide[i] == u'\\') part = i + 1;
  }
  return MatchWideName(pattern, wide + part, room_.names, listed) &&
         (!options_.wholeMemberPaths || ListWidePath(wide, room_.names, listed));
}

bool RarWalk::Handle(std::string_view name, NameForm form, const MemberFacts& facts, bool passes,
                     bool stored, std::uint64_t dataSize) {
  std::string_view listed;
  if (passes && ListedName(pattern_, name, form, listed) &&
      !listing_.List({listed, facts.clock, facts.size, facts.attributes}))
    return false;
  return !stored || !listing_.OpensInner() || !ListedName(EveryMemberName(), name, form, listed) ||
         ListInnerArchive(file_, reading_, listed, file_.Position(), dataSize);
}

bool RarWalk::Rar5Member(const Rar5Block& block) {
  const Rar5File file = DecodeRar5File(block);
  if (!file.ok) return false;
  // A member split over volumes is listed by the volume it starts in.
  if (file.directory || block.continued) return true;
  MemberFacts facts;
  facts.size = file.size;
  facts.attributes = file.hostSystem == kRar5Windows ? static_cast<std::uint32_t>(file.attributes)
                     : file.hostSystem == kRar5Unix  ? RarUnixModeAttributes(file.attributes)
                                                     : 0;
  // The stamp is UTC; the criteria and the long line use local time, and
  // the line shows the exact second.
  DosDateTime packed;
  if (options_.dateMode != RangeMode::None || options_.timeMode != RangeMode::None ||
      options_.form != 0) {
    const std::int64_t stamp = file.haveStamp ? file.stamp : 0;
    if (!toLocal_ || !toLocal_(stamp, &facts.clock)) facts.clock = UtcDateTime(stamp);
    facts.clock = NearestDosMoment(facts.clock);
    packed = MemberDosDateTime(facts.clock);
  }
  return Handle(
      file.name, NameForm::Utf8, facts,
      MemberPassesFilters(options_, packed.date, packed.time, facts.size, facts.attributes),
      file.stored, block.dataSize);
}

bool RarWalk::Rar4Member(const Rar4Block& block, std::span<const std::uint8_t> header,
                         std::uint64_t dataSize) {
  const Rar4File file = DecodeRar4File(block, header);
  if (!file.ok) return false;
  if (file.directory || file.continued) return true;
  const bool passes =
      MemberPassesFilters(options_, file.stamp.date, file.stamp.time, file.size, file.attributes);
  if (!passes && !(file.stored && listing_.OpensInner())) return true;
  // The MS-DOS time counts in steps of two seconds; the extended stamps
  // tell an odd second. Their fractions of a second are not shown.
  MemberFacts facts{UnpackDosDateTime(file.stamp, kMemberYearBits), file.size, file.attributes};
  if (file.oddSecond && facts.clock.second < 59) ++facts.clock.second;
  const std::string_view field(reinterpret_cast<const char*>(file.name.data()), file.name.size());
  const auto handle = [&](std::string_view name, NameForm form) {
    return Handle(name, form, facts, passes, file.stored, dataSize);
  };
  if (!file.hasUnicodeForm) return handle(field, NameForm::CodePage);
  // Flagged names are UTF-8, or the code-page name and, behind a 0 byte,
  // the Unicode one; a Unicode form that cannot be decoded leaves the
  // code-page name.
  const std::size_t zero = field.find('\0');
  if (zero == std::string_view::npos) return handle(field, NameForm::Utf8Backslash);
  if (DecodeRar4WideName(file.name, room_.names.wide, kMemberNameUnits + 1) < 0)
    return handle(field.substr(0, zero), NameForm::CodePage);
  return handle({}, NameForm::Wide);
}

bool SkipData(ByteSource& file, std::uint64_t size) {
  // A size beyond any seek is damage; one past the end of the file ends the
  // archive at the next read.
  return size <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) &&
         file.Skip(static_cast<std::int64_t>(size));
}

void ListRar5(ByteSource& file, RarWalk& walk) {
  std::vector<std::uint8_t> header;
  std::uint64_t fileSize = 0;
  const bool sizeKnown = file.Size(fileSize);
  for (;;) {
    std::uint8_t start[kRar5BlockStart];
    if (file.Read(start, sizeof start) != sizeof start) return;
    const std::size_t size = Rar5HeaderSize(start);
    if (size == 0) return;
    const std::size_t more = size - sizeof start;
    // Nothing is allocated for a header the file cannot hold.
    const std::uint64_t here = file.Position();
    if (sizeKnown && (here > fileSize || more > fileSize - here)) return;
    header.resize(size);
    std::memcpy(header.data(), start, sizeof start);
    if (file.Read(header.data() + sizeof start, more) != more) return;
    const Rar5Block block = DecodeRar5Block(header);
    if (!block.ok || block.type == kRar5Encryption || block.type == kRar5End) return;
    if (block.type == kRar5File && !walk.Rar5Member(block)) return;
    if (!SkipData(file, block.dataSize)) return;
  }
}

void ListRar4(ByteSource& file, RarWalk& walk, std::uint8_t* header) {
  for (;;) {
    if (file.Read(header, kRar4BlockSize) != kRar4BlockSize) return;
    const Rar4Block block = DecodeRar4Block({header, kRar4BlockSize});
    if (block.headerSize < kRar4BlockSize) return;
    const std::size_t more = block.headerSize - kRar4BlockSize;
    if (file.Read(header + kRar4BlockSize, more) != more) return;
    const std::span<const std::uint8_t> whole(header, block.headerSize);
    if (block.type == kRar4End) return;
    if (block.type == kRar4Archive && (block.flags & kRar4EncryptedHeaders)) return;
    const std::uint64_t dataSize = Rar4DataSize(block, whole);
    if (block.type == kRar4File && !walk.Rar4Member(block, whole, dataSize)) return;
    if (!SkipData(file, dataSize)) return;
  }
}

}  // namespace

void ListRarMembers(ByteSource& file, std::span<const std::uint8_t> firstHeader,
                    const MemberReading& reading) {
  if (!IsRarMarker(firstHeader)) return;
  const bool rar5 = firstHeader[kRarMarkerSize - 1] == kRar5MarkerVersion;
  // The RAR 5 marker has one byte more, 0.
  std::uint8_t last = 1;
  if (rar5 && (file.Read(&last, 1) != 1 || last != 0)) return;
  const auto room = std::make_unique_for_overwrite<RarRoom>();
  RarWalk walk(file, reading, *room);
  if (rar5)
    ListRar5(file, walk);
  else
    ListRar4(file, walk, room->header);
}
