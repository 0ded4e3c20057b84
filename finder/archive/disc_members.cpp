#include "finder/archive/disc_members.h"

#include <algorithm>

#include "finder/archive/inner_archives.h"
#include "finder/archive/member_name_part.h"
#include "finder/records/calendar.h"

std::int64_t DiscStampSeconds(std::int64_t year, int month, int day, int hour, int minute,
                              int second, int offsetMinutes) {
  if (month < 1 || month > 12 || day < 1 || day > 31) return 0;
  return DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second -
         std::int64_t{offsetMinutes} * 60;
}

void AppendUtf16(std::string& out, const std::uint8_t* units, std::size_t count, bool bigEndian) {
  const auto unitAt = [&](std::size_t i) -> std::uint32_t {
    return bigEndian ? units[2 * i] << 8 | units[2 * i + 1] : units[2 * i] | units[2 * i + 1] << 8;
  };
  for (std::size_t i = 0; i < count; ++i) {
    std::uint32_t code = unitAt(i);
    if (code >= 0xD800 && code < 0xDC00 && i + 1 < count && unitAt(i + 1) >= 0xDC00 &&
        unitAt(i + 1) < 0xE000) {
      code = 0x10000 + ((code - 0xD800) << 10) + (unitAt(i + 1) - 0xDC00);
      ++i;
    } else if (code >= 0xD800 && code < 0xE000) {
      code = 0xFFFD;
    }
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | code >> 6);
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | code >> 12);
      out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | code >> 18);
      out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
}

DiscMembers::DiscMembers(ByteSource& file, const MemberReading& reading)
    : file_(file),
      reading_(reading),
      listing_(reading.listing),
      options_(reading.listing.options()),
      toLocal_(reading.toLocal),
      codes_(ByteNameCodesOf(reading)),
      room_(MakeMemberNameRoom()) {}

bool DiscMembers::List(const std::string& path, std::size_t nameAt, std::int64_t utcSeconds,
                       std::uint64_t size, std::uint32_t attributes,
                       std::optional<std::uint64_t> storedAt) {
  // The stamps are UTC moments; the criteria and the long line use local
  // time, as for the members of the other kinds with UTC stamps.
  CalendarTime clock;
  DosDateTime packed;
  if (options_.dateMode != RangeMode::None || options_.timeMode != RangeMode::None ||
      options_.form != 0) {
    if (!toLocal_ || !toLocal_(utcSeconds, &clock)) clock = UtcDateTime(utcSeconds);
    clock = NearestDosMoment(clock);
    packed = MemberDosDateTime(clock);
  }
  std::string_view listed;
  if (MemberPassesFilters(options_, packed.date, packed.time, size, attributes) &&
      ListedName(listing_.pattern(), path, nameAt, listed) &&
      !listing_.List({listed, clock, size, attributes}))
    return false;
  return !storedAt || !listing_.OpensInner() ||
         !ListedName(EveryMemberName(), path, nameAt, listed) ||
         ListInnerArchive(file_, reading_, listed, *storedAt, size);
}

bool DiscMembers::ListedName(const SearchPattern& pattern, const std::string& path,
                             std::size_t nameAt, std::string_view& listed) {
  const bool ascii = std::ranges::all_of(path, [](char c) { return (c & 0x80) == 0; });
  // Under /K the user has said which code page names stored as bytes are in.
  if (ascii || ((!storedAsBytes_ || !codes_.decode) && ReadsAsUtf8(path)))
    return MatchUtf8Name(pattern, path.c_str() + nameAt, *room_, listed) &&
           (!options_.wholeMemberPaths || ListUtf8Path(path.c_str(), *room_, listed));
  // A name of a code page: a Rock Ridge name written on a system that did
  // not use UTF-8.
  return path.size() - nameAt <= kMemberNameUnits &&
         MatchCodePageName(pattern, std::string_view(path).substr(nameAt), codes_, *room_,
                           listed) &&
         (!options_.wholeMemberPaths ||
          (path.size() <= kMemberNameUnits && ListCodePagePath(path, codes_, *room_, listed)));
}
