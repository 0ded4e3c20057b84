#include "finder/archive/lzh_reader_headers.h"

#include "finder/archive/byte_reader.h"

namespace {

constexpr std::size_t kOffsetHeaderSize = 0;
constexpr std::size_t kOffsetMethod = 2;
constexpr std::size_t kOffsetPackedSize = 7;
constexpr std::size_t kOffsetOriginalSize = 11;
constexpr std::size_t kOffsetStamp = 15;
constexpr std::size_t kOffsetAttributes = 19;
constexpr std::size_t kOffsetLevel = 20;
constexpr std::size_t kLevel2FirstExtSize = 24;

std::string_view AsText(std::span<const std::uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace

bool IsLzhMethodId(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kOffsetMethod + 5) return false;
  auto method = bytes.subspan(kOffsetMethod, 5);
  return method[0] == '-' && method[1] == 'l' && method[2] == 'h' && method[4] == '-';
}

LzhBaseHeader DecodeLzhBase(std::span<const std::uint8_t> bytes) {
  ByteReader in(bytes);
  LzhBaseHeader base;
  base.level = in.U8At(kOffsetLevel);
  base.headerSize = base.level == 2 ? in.U16At(kOffsetHeaderSize) : in.U8At(kOffsetHeaderSize);
  base.packedSize = in.U32At(kOffsetPackedSize);
  base.originalSize = in.U32At(kOffsetOriginalSize);
  base.stamp = in.U32At(kOffsetStamp);
  base.attributes = in.U8At(kOffsetAttributes);
  return base;
}

long LzhHeaderBytesToRead(const LzhBaseHeader& base) {
  if (base.level > 2 || base.headerSize < kLzhBaseSize + 1) return -1;
  if (base.level >= 1 && base.attributes != 0x20) return -1;
  if (base.level == 2 && base.headerSize > kLzhLevel2MaxHeader) return -1;
  return static_cast<long>(base.headerSize - kLzhBaseSize);
}

LzhNameField LzhLevel01Name(std::span<const std::uint8_t> rest) {
  ByteReader in(rest);
  std::size_t length = in.U8();
  std::string_view name = in.Text(length);
  if (!in.ok()) return {};
  return {true, name};
}

std::string_view LzhLevel0NamePart(std::string_view name) {
  // Only the backslash separates folders here; a slash is part of the name.
  std::size_t slash = name.rfind('\\');
  return slash == std::string_view::npos ? name : name.substr(slash + 1);
}

LzhLevel2Extensions WalkLzhLevel2Extensions(std::span<const std::uint8_t> header) {
  LzhLevel2Extensions found;
  bool haveName = false;
  ByteReader in(header);
  in.Seek(kLevel2FirstExtSize);
  // The chain ends at a size of 0, or where the header bytes end.
  while (in.ok() && in.remaining() >= 2) {
    std::size_t size = in.U16();
    if (size == 0) break;
    // Each header holds at least its type byte and the next size, and must
    // lie inside the header bytes read.
    if (size < 3) return {};
    std::uint8_t type = in.U8();
    std::span<const std::uint8_t> data = in.Bytes(size - 3);
    if (!in.ok()) return {};
    if (type == kLzhExtFileName) {
      if (data.size() > kLzhNameCapacity) return {};
      found.name = AsText(data);
      haveName = true;
    } else if (type == kLzhExtAttributes) {
      ByteReader value(data);
      found.attributes = value.U16();
      if (!value.ok()) return {};
    }
  }
  // Without a file-name header there is nothing to match or show.
  found.ok = haveName;
  return found;
}

MemberClock UtcClock(std::int64_t secondsSince1970) {
  std::int64_t days = secondsSince1970 / 86400;
  std::int64_t secondOfDay = secondsSince1970 % 86400;
  if (secondOfDay < 0) {
    secondOfDay += 86400;
    --days;
  }
  // Days since 1970 to a date of the proleptic Gregorian calendar, counting
  // in 400-year eras that start on 1 March (H. Hinnant's civil_from_days).
  std::int64_t z = days + 719468;
  std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  std::int64_t dayOfEra = z - era * 146097;
  std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  std::int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
  MemberClock clock;
  clock.day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
  clock.month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
  clock.year = static_cast<int>(yearOfEra + era * 400 + (clock.month <= 2 ? 1 : 0));
  clock.hour = static_cast<int>(secondOfDay / 3600);
  clock.minute = static_cast<int>(secondOfDay / 60 % 60);
  clock.second = static_cast<int>(secondOfDay % 60);
  return clock;
}

DosDateTime PackDosDateTime(const MemberClock& clock) {
  // MS-DOS time starts in 1980; an earlier stamp would wrap into the far
  // future, so it is held at the first representable moment instead.
  if (clock.year < 1980) return {0x21, 0};
  DosDateTime packed;
  packed.date =
      static_cast<std::uint16_t>(clock.day + clock.month * 32 + ((clock.year - 1980) % 64) * 512);
  packed.time =
      static_cast<std::uint16_t>(clock.hour * 2048 + clock.minute * 32 + clock.second / 2);
  return packed;
}
