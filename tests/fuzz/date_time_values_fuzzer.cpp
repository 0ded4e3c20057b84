// One /D or /T value on arbitrary text, against a plain reading of the rules
// with the standard library's calendar: the absolute forms field by field,
// the relative forms step by step from the start time (UTC, so that the
// result does not depend on the machine's zone). Where a relative date runs
// beyond the years that calendar holds only the bounds are checked.
// Input: one byte of choices (bit 0: time, else date; bit 1: the runtime's
// local time instead of UTC, checked for crashes only), five bytes of start
// time, two bytes of the word's earlier content, then the text.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "finder/options/date_time_values.h"

namespace {

namespace chrono = std::chrono;

// Counts saturate at 10^9 (far past any date that packs), as the values do.
constexpr std::int64_t kLimit = 1000000000;

struct Reader {
  std::string_view text;
  std::size_t position = 0;

  char Peek() const { return position < text.size() ? text[position] : '\0'; }
  bool More() const { return position < text.size(); }
  static char Up(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }
  std::int64_t Number() {
    std::int64_t value = 0;
    while (Peek() >= '0' && Peek() <= '9') {
      value = std::min<std::int64_t>(kLimit, value * 10 + (text[position] - '0'));
      ++position;
    }
    return value;
  }
  // "+" ahead; "-" or no sign back.
  bool Forward() {
    char sign = Peek();
    if (sign == '+' || sign == '-') ++position;
    return sign == '+';
  }
};

struct Expected {
  ValueError error = ValueError::kNone;
  std::uint16_t word = 0;
  std::size_t position = 0;
  bool known = true;  // false: beyond the reference calendar's years
};

Expected AbsoluteDate(Reader r, std::uint16_t word) {
  Expected e;
  std::int64_t y = r.Number();
  std::int64_t offset = y < 80 ? y + 20 : y < 100 ? y - 80 : y < 1980 ? 0 : y - 1980;
  e.word = word;
  if (offset > 63) return e.error = ValueError::kYear, e;
  e.word = static_cast<std::uint16_t>((e.word & ~0xFE00u) | (offset << 9));
  for (int part = 0; part < 2; ++part) {
    if (r.Peek() != '/' || r.position + 1 >= r.text.size())
      return e.error = ValueError::kInvalidDate, e;
    ++r.position;
    std::int64_t value = r.Number();
    if (value > (part == 0 ? 15 : 31)) return e.error = ValueError::kInvalidDate, e;
    e.word = part == 0 ? static_cast<std::uint16_t>((e.word & ~0x01E0u) | (value << 5))
                       : static_cast<std::uint16_t>((e.word & ~0x001Fu) | value);
  }
  e.position = r.position;
  return e;
}

Expected AbsoluteTime(Reader r, std::uint16_t word) {
  Expected e;
  e.word = word;
  std::int64_t hour = r.Number();
  if (hour > 31) return e.error = ValueError::kHour, e;
  e.word = static_cast<std::uint16_t>((e.word & 0x07FF) | (hour << 11));
  if (r.Peek() != ':' || r.position + 1 >= r.text.size())
    return e.error = ValueError::kInvalidDate, e;
  ++r.position;
  std::int64_t minute = r.Number();
  if (minute > 63) return e.error = ValueError::kMinute, e;
  e.word = static_cast<std::uint16_t>((e.word & ~0x07E0u) | (minute << 5));
  if (r.Peek() == ':') {
    ++r.position;
    std::int64_t second = r.More() ? r.Number() : 0;
    if (second > 63) return e.error = ValueError::kSecond, e;
    e.word = static_cast<std::uint16_t>((e.word & ~0x001Fu) | (second / 2));
  }
  e.position = r.position;
  return e;
}

chrono::year_month_day CivilOf(std::int64_t seconds) {
  return chrono::year_month_day{
      chrono::floor<chrono::days>(chrono::sys_seconds{chrono::seconds{seconds}})};
}

Expected RelativeDate(Reader r, std::int64_t start) {
  Expected e;
  chrono::year_month_day today = CivilOf(start);
  std::int64_t year = static_cast<int>(today.year());
  std::int64_t monthIndex = static_cast<unsigned>(today.month()) - 1;
  std::int64_t day = static_cast<unsigned>(today.day());
  for (;;) {
    char letter = Reader::Up(r.Peek());
    if (letter != 'Y' && letter != 'M' && letter != 'D') break;
    ++r.position;
    bool forward = r.Forward();
    std::int64_t count = r.Number();
    if (letter == 'Y') {
      year = forward ? year + count : std::max<std::int64_t>(1900, year - count);
    } else if (letter == 'M') {
      if (forward) {
        year += count / 12;
        monthIndex += count % 12;
        if (monthIndex > 11) ++year, monthIndex -= 12;
      } else {
        year -= count / 12;
        std::int64_t rest = count % 12;
        if (rest > monthIndex)
          --year, monthIndex += 12 - rest;
        else
          monthIndex -= rest;
      }
    } else {
      // A day step starts from the calendar date the earlier steps left; a
      // day past its month's end stands for that month's last day.
      // The library's calendar holds the years -32767 to 32767: a step of up
      // to 5,000,000 days (13,690 years) from within +-15,000 stays inside.
      if (year < -15000 || year > 15000 || count > 5000000) {
        e.known = false;
        return e;
      }
      chrono::year_month_day from{chrono::year{static_cast<int>(year)},
                                  chrono::month{static_cast<unsigned>(monthIndex + 1)},
                                  chrono::day{1}};
      chrono::year_month_day_last last{from.year(), chrono::month_day_last{from.month()}};
      unsigned startDay =
          std::min<unsigned>(static_cast<unsigned>(day), static_cast<unsigned>(last.day()));
      chrono::sys_days moved = chrono::sys_days{from} + chrono::days{startDay - 1} +
                               chrono::days{forward ? count : -count};
      chrono::year_month_day then{moved};
      year = static_cast<int>(then.year());
      monthIndex = static_cast<unsigned>(then.month()) - 1;
      day = static_cast<unsigned>(then.day());
    }
  }
  e.position = r.position;
  std::int64_t offset = year - 1980;
  if (offset > 63) return e.error = ValueError::kYear, e;
  if (offset < 0) offset = 0;  // before 1980: the earliest date that packs
  e.word = PackDosDate(static_cast<unsigned>(offset), static_cast<unsigned>(monthIndex + 1),
                       static_cast<unsigned>(day));
  return e;
}

Expected RelativeTime(Reader r, std::int64_t start) {
  Expected e;
  std::int64_t value = start;
  for (;;) {
    char letter = Reader::Up(r.Peek());
    std::int64_t unit = letter == 'H' ? 3600 : letter == 'M' ? 60 : letter == 'S' ? 1 : 0;
    if (!unit) break;
    ++r.position;
    bool forward = r.Forward();
    std::int64_t count = r.Number();
    value += (forward ? count : -count) * unit;
  }
  std::int64_t ofDay = ((value % 86400) + 86400) % 86400;
  e.word = PackDosTime(static_cast<unsigned>(ofDay / 3600), static_cast<unsigned>(ofDay / 60 % 60),
                       static_cast<unsigned>(ofDay % 60));
  e.position = r.position;
  return e;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 8) return 0;
  const bool time = data[0] & 1;
  const bool standard = data[0] & 2;
  std::uint64_t raw = 0;
  for (int i = 1; i <= 5; ++i) raw = raw << 8 | data[i];
  // Start times of runs from 1980 to about 2107, as the clock can give.
  const std::int64_t start = 315532800 + static_cast<std::int64_t>(raw % 4000000000u);
  const std::uint16_t earlier = static_cast<std::uint16_t>(data[6] | data[7] << 8);
  std::string_view text(reinterpret_cast<const char*>(data + 8), size - 8);
  text = text.substr(0, text.find('\0'));  // the option texts are C strings

  ValueClock clock{start, standard ? StandardLocalTime : UtcDateTime};
  std::size_t position = 0;
  std::uint16_t word = earlier;
  ValueError error = time ? ParseTimeValue(text, position, word, clock)
                          : ParseDateValue(text, position, word, clock);
  if (position > text.size()) std::abort();
  if ((error == ValueError::kNone) != ValueErrorMessage(error, false).empty()) std::abort();
  if ((error == ValueError::kNone) != ValueErrorMessage(error, true).empty()) std::abort();
  if (standard) return 0;

  Reader reader{text, 0};
  const char first = Reader::Up(reader.Peek());
  Expected expected;
  if (time) {
    if (first == 'N') {
      ++reader.position;
      expected = RelativeTime(reader, start);
    } else {
      expected = AbsoluteTime(reader, earlier);
    }
  } else if (first == 'T') {
    ++reader.position;
    expected = RelativeDate(reader, start);
    if (!expected.known) {
      // Out of the reference's years: a packed date or the year message.
      if (error != ValueError::kNone && error != ValueError::kYear) std::abort();
      if (error == ValueError::kNone &&
          ((word >> 5 & 0x0F) < 1 || (word >> 5 & 0x0F) > 12 || (word & 0x1F) < 1))
        std::abort();
      return 0;
    }
    if (expected.error != ValueError::kNone) expected.word = earlier;
  } else {
    expected = AbsoluteDate(reader, earlier);
  }
  if (error != expected.error || word != expected.word) std::abort();
  if (error == ValueError::kNone && position != expected.position) std::abort();
  return 0;
}
