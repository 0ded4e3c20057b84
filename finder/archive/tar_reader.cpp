// The walk over the blocks of a tar archive: a header, the member's data
// padded to whole blocks, passed by a forward seek, and so on up to a block
// of zeros or the end of the file. GNU long names ('L') and POSIX extended
// headers ('x') come as members of their own in front of the member they
// describe; they are kept until that member's header is read.
//
// Names: an extended header's path is UTF-8; the bytes of a header's name,
// of a ustar prefix and name, or of a GNU long name are read as UTF-8 when
// they are well-formed UTF-8, else as bytes of the ANSI code page. "/" stands
// between folders.
#include "finder/archive/tar_reader.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "finder/archive/inner_archives.h"
#include "finder/archive/member_name_part.h"
#include "finder/archive/member_walk.h"
#include "finder/archive/utf8_member_name.h"
#include "finder/archive/utf8_name.h"

namespace {

// A name of more UTF-8 bytes than this is too long to list.
constexpr std::size_t kNameBytes = 3 * kMemberNameUnits;
// An extended header longer than this ends the archive: a path and a few
// numbers take far less, and only GNU's sparse maps of format 0.1 grow past
// it, for files of tens of thousands of holes. Whatever a header says, no
// more is held.
constexpr std::int64_t kExtendedLimit = 1 << 20;
constexpr std::uint32_t kOwnerWrite = 0200;
constexpr std::uint32_t kReadOnly = 0x01;

// Room for one archive, made once and left unset where it is written before
// it is read.
struct TarRoom {
  std::uint8_t header[kTarBlockSize];
  std::uint8_t block[kTarBlockSize];  // a block of an old GNU sparse map
  char name[kNameBytes + 1];
  MemberNameRoom names;
};

struct MemberFacts {
  CalendarTime clock;
  std::uint64_t size = 0;
  std::uint32_t attributes = 0;
};

bool IsListedType(std::uint8_t type) {
  // Files (contiguous ones too), hard and symbolic links, old GNU sparse
  // files.
  return type == '0' || type == 0 || type == '7' || type == '1' || type == '2' || type == 'S';
}

// Links, devices, folders and FIFOs hold no data whatever their size says.
bool HasData(std::uint8_t type) {
  return type < '1' || type > '6';
}

class TarWalk : MemberWalk {
 public:
  TarWalk(ByteSource& tar, const MemberReading& reading, TarRoom& room)
      : MemberWalk(tar, reading), room_(room) {}

  // The header in room_.header; false when the archive ends.
  bool Header();

 private:
  // A member's header; `dataSize` what follows it.
  bool Member(std::uint8_t type, std::int64_t dataSize);
  bool ListMember(std::string_view name, bool utf8, std::int64_t mode, std::int64_t mtime,
                  std::int64_t size);
  // Reads `size` bytes of data into `into`, at most `limit` of them, and
  // passes the rest and the padding.
  bool ReadData(std::int64_t size, std::size_t limit, std::string& into);
  bool SkipData(std::int64_t size);
  // The member's name as listed, when it matches `pattern`. A name too long
  // to list passes its member over, as one that does not match.
  bool ListedName(const SearchPattern& pattern, std::string_view name, bool utf8,
                  std::string_view& listed);
  bool Utf8Name(const SearchPattern& pattern, std::string_view name, std::string_view& listed);
  bool CodePageName(const SearchPattern& pattern, std::string_view name, std::string_view& listed);
  bool TakeName(std::string_view& name, std::size_t limit);

  TarRoom& room_;
  // What the headers in front of the next member said about it.
  std::string longName_, extendedRecords_;
  bool haveLongName_ = false;
  TarExtended extended_;
};

// The data of `size` bytes padded to whole blocks; false when no seek
// could pass it.
bool PaddedSize(std::int64_t size, std::int64_t& padded) {
  constexpr std::int64_t kBlock = kTarBlockSize;
  if (size < 0 || size > std::numeric_limits<std::int64_t>::max() - (kBlock - 1)) return false;
  padded = (size + (kBlock - 1)) / kBlock * kBlock;
  return true;
}

bool TarWalk::SkipData(std::int64_t size) {
  // One past the end of the file ends the archive at the next read.
  std::int64_t padded = 0;
  return PaddedSize(size, padded) && (padded == 0 || file_.Skip(padded));
}

bool TarWalk::ReadData(std::int64_t size, std::size_t limit, std::string& into) {
  std::int64_t padded = 0;
  if (!PaddedSize(size, padded)) return false;
  const std::size_t take =
      static_cast<std::uint64_t>(size) < limit ? static_cast<std::size_t>(size) : limit;
  into.resize(take);
  if (file_.Read(into.data(), take) != take) return false;
  const std::int64_t rest = padded - static_cast<std::int64_t>(take);
  return rest == 0 || file_.Skip(rest);
}

bool TarWalk::TakeName(std::string_view& name, std::size_t limit) {
  name = name.substr(0, name.find('\0'));
  if (name.size() > limit) return false;
  // The name may be in room_.name already (a ustar prefix and name).
  if (name.data() != room_.name) name.copy(room_.name, name.size());
  room_.name[name.size()] = '\0';
  name = {room_.name, name.size()};
  return true;
}

bool TarWalk::ListedName(const SearchPattern& pattern, std::string_view name, bool utf8,
                         std::string_view& listed) {
  return utf8 ? Utf8Name(pattern, name, listed) : CodePageName(pattern, name, listed);
}

bool TarWalk::Utf8Name(const SearchPattern& pattern, std::string_view name,
                       std::string_view& listed) {
  if (!TakeName(name, kNameBytes)) return false;
  const std::size_t slash = name.rfind('/');
  const std::size_t part = slash == std::string_view::npos ? 0 : slash + 1;
  return MatchUtf8Member(pattern, options_.wholeMemberPaths, room_.name, name.size(), part,
                         room_.names, listed);
}

bool TarWalk::CodePageName(const SearchPattern& pattern, std::string_view name,
                           std::string_view& listed) {
  if (!TakeName(name, kMemberNameUnits)) return false;
  // A second byte of a double-byte character may be 0x5C, never 0x2F.
  const std::size_t slash = LastSeparator(name, '/', nullptr);
  const std::size_t part = slash == std::string_view::npos ? 0 : slash + 1;
  if (!MatchCodePageName(pattern, name.substr(part), codes_, room_.names, listed)) return false;
  if (!options_.wholeMemberPaths) return true;
  std::replace(room_.name, room_.name + name.size(), '/', '\\');
  return ListCodePagePath(name, codes_, room_.names, listed);
}

bool TarWalk::Header() {
  const std::span<const std::uint8_t> header(room_.header, kTarBlockSize);
  if (IsZeroBlock(header) || !TarChecksumHolds(header)) return false;
  const std::uint8_t type = header[kTarType];
  std::int64_t size = 0;
  if (!TarNumber(header.subspan(kTarSize, 12), size) || size < 0) return false;
  switch (type) {
    case 'x':
    case 'X': {
      // The records stay in extendedRecords_, which extended_ points into,
      // until the member they describe has been read.
      if (size > kExtendedLimit ||
          !ReadData(size, static_cast<std::size_t>(size), extendedRecords_))
        return false;
      extended_ = {};
      return ReadTarExtended(extendedRecords_, extended_);
    }
    case 'L':
      haveLongName_ = true;
      return ReadData(size, kNameBytes + 1, longName_);
    case 'g':  // global records hold nothing a listing shows
    case 'K':  // the link's target is not shown
      return SkipData(size);
    default:
      break;
  }
  if (extended_.hasSize) size = extended_.size;
  const bool listed = Member(type, size);
  haveLongName_ = false;
  extended_ = {};
  return listed;
}

bool TarWalk::Member(std::uint8_t type, std::int64_t dataSize) {
  const std::span<const std::uint8_t> header(room_.header, kTarBlockSize);
  std::int64_t mode = 0, mtime = 0, realSize = dataSize;
  if (!TarNumber(header.subspan(kTarMode, 8), mode) ||
      !TarNumber(header.subspan(kTarMtime, 12), mtime))
    return false;
  if (extended_.hasMtime) mtime = extended_.mtime;
  if (extended_.hasRealSize)
    realSize = extended_.realSize;
  else if (type == 'S' && !TarNumber(header.subspan(kTarGnuRealSize, 12), realSize))
    return false;
  // The name: GNU's real name of a sparse file, the extended path, the GNU
  // long name, the ustar prefix and name, the name.
  bool utf8 = true;
  std::string_view name;
  if (extended_.hasSparseName) {
    name = extended_.sparseName;
  } else if (extended_.hasPath) {
    name = extended_.path;
  } else {
    if (haveLongName_) {
      name = longName_;
    } else {
      name = TarText(header.subspan(kTarName, kTarNameSize));
      // POSIX's magic only: GNU's puts other fields where the prefix is.
      const std::string_view prefix = TarText(header.subspan(kTarPrefix, kTarPrefixSize));
      if (std::memcmp(room_.header + kTarMagic, "ustar\0", 6) == 0 && !prefix.empty()) {
        prefix.copy(room_.name, prefix.size());
        room_.name[prefix.size()] = '/';
        name.copy(room_.name + prefix.size() + 1, name.size());
        name = {room_.name, prefix.size() + 1 + name.size()};
      }
    }
    name = name.substr(0, name.find('\0'));
    // Under /K the user has said which code page the names are in.
    utf8 = !codes_.decode && WellFormedUtf8(name);
  }
  // v7 archives mark a folder by a "/" behind its name.
  const bool folder = (type == '0' || type == 0) && !name.empty() && name.back() == '/';
  if (IsListedType(type) && !folder && !ListMember(name, utf8, mode, mtime, realSize)) return false;
  // With /M, a file that is an archive is read where it stands.
  std::string_view listed;
  if ((type == '0' || type == 0 || type == '7') && !folder && listing_.OpensInner() &&
      ListedName(EveryMemberName(), name, utf8, listed) &&
      !ListInnerArchive(file_, reading_, listed, file_.Position(),
                        static_cast<std::uint64_t>(dataSize)))
    return false;
  // An old GNU sparse file: its map may go on over further blocks, which
  // stand in front of the data.
  if (type == 'S') {
    for (std::uint8_t more = header[kTarGnuExtended]; more != 0;
         more = room_.block[kTarSparseBlockExtended]) {
      if (file_.Read(room_.block, kTarBlockSize) != kTarBlockSize) return false;
    }
  }
  return !HasData(type) || SkipData(dataSize);
}

bool TarWalk::ListMember(std::string_view name, bool utf8, std::int64_t mode, std::int64_t mtime,
                         std::int64_t size) {
  MemberFacts facts;
  // Links are listed with the size they record, which POSIX has be 0.
  facts.size = static_cast<std::uint64_t>(std::max<std::int64_t>(size, 0));
  facts.attributes = (mode & kOwnerWrite) ? 0 : kReadOnly;
  // The stamp is UTC; the criteria and the long line use local time, and
  // the line shows the exact second.
  DosDateTime packed;
  if (options_.dateMode != RangeMode::None || options_.timeMode != RangeMode::None ||
      options_.form != 0) {
    if (!toLocal_ || !toLocal_(mtime, &facts.clock)) facts.clock = UtcDateTime(mtime);
    facts.clock = NearestDosMoment(facts.clock);
    packed = MemberDosDateTime(facts.clock);
  }
  if (!MemberPassesFilters(options_, packed.date, packed.time, facts.size, facts.attributes))
    return true;
  std::string_view listed;
  return !ListedName(pattern_, name, utf8, listed) ||
         listing_.List({listed, facts.clock, facts.size, facts.attributes});
}

}  // namespace

void ListTarStream(ByteSource& tar, std::span<const std::uint8_t> firstHeader,
                   const MemberReading& reading) {
  if (firstHeader.size() != kTarBlockSize) return;
  const auto room = std::make_unique_for_overwrite<TarRoom>();
  std::copy(firstHeader.begin(), firstHeader.end(), room->header);
  TarWalk walk(tar, reading, *room);
  while (walk.Header())
    if (tar.Read(room->header, kTarBlockSize) != kTarBlockSize) return;
}

void ListTarMembers(ByteSource& file, std::span<const std::uint8_t> firstHeader,
                    const MemberReading& reading) {
  ListTarStream(file, firstHeader, reading);
}
