#include "finder/archive/tar_reader_headers.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr std::size_t kChecksum = 148, kChecksumSize = 8;
constexpr std::int64_t kLargest = std::numeric_limits<std::int64_t>::max();

bool IsOctalDigit(std::uint8_t byte) {
  return byte >= '0' && byte <= '7';
}

// Octal digits behind blanks, ended by a blank, a 0 or the field's end;
// `digits` counts them. An empty field is 0, as old tars left some.
bool OctalNumber(std::span<const std::uint8_t> field, std::int64_t& value, std::size_t& digits) {
  std::size_t at = 0;
  while (at < field.size() && field[at] == ' ') ++at;
  std::int64_t number = 0;
  digits = 0;
  for (; at < field.size() && IsOctalDigit(field[at]); ++at, ++digits) {
    if (number > (kLargest >> 3)) return false;
    number = number << 3 | (field[at] - '0');
  }
  if (at < field.size() && field[at] != ' ' && field[at] != 0) return false;
  value = number;
  return true;
}

// Base-256, two's complement, big-endian behind a first byte of 0x80 (or
// 0xFF for a negative number): bytes beyond the low eight may only repeat
// the sign.
bool BinaryNumber(std::span<const std::uint8_t> field, std::int64_t& value) {
  const bool negative = field[0] == 0xFF;
  const std::uint8_t sign = negative ? 0xFF : 0x00;
  std::uint64_t number = negative ? ~std::uint64_t{0} : 0;
  for (std::size_t at = 1; at < field.size(); ++at) {
    if (at + 8 < field.size() && field[at] != sign) return false;
    number = number << 8 | field[at];
  }
  // The low eight bytes must carry the sign too.
  if (negative != (number >> 63 != 0)) return false;
  value = static_cast<std::int64_t>(number);
  return true;
}

// A decimal number of an extended record: digits only, at most 63 bits.
bool DecimalNumber(std::string_view text, std::int64_t& value) {
  if (text.empty()) return false;
  std::int64_t number = 0;
  for (char c : text) {
    if (c < '0' || c > '9' || number > (kLargest - (c - '0')) / 10) return false;
    number = number * 10 + (c - '0');
  }
  value = number;
  return true;
}

// Seconds with a fraction, perhaps negative: the whole seconds, rounded
// down.
bool Seconds(std::string_view text, std::int64_t& value) {
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) text.remove_prefix(1);
  const std::size_t point = text.find('.');
  const std::string_view fraction =
      point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
  if (!DecimalNumber(text.substr(0, point), value)) return false;
  if (!std::ranges::all_of(fraction, [](char c) { return c >= '0' && c <= '9'; })) return false;
  if (negative) value = -value - (fraction.find_first_not_of('0') != std::string_view::npos);
  return true;
}

}  // namespace

bool TarChecksumHolds(std::span<const std::uint8_t> header) {
  if (header.size() < kTarBlockSize) return false;
  std::int64_t stored = 0;
  std::size_t digits = 0;
  if (!OctalNumber(header.subspan(kChecksum, kChecksumSize), stored, digits) || digits == 0)
    return false;
  std::int64_t sum = 0, signedSum = 0;
  for (std::size_t at = 0; at < kTarBlockSize; ++at) {
    const std::uint8_t byte = at >= kChecksum && at < kChecksum + kChecksumSize ? ' ' : header[at];
    sum += byte;
    signedSum += static_cast<std::int8_t>(byte);
  }
  return stored == sum || stored == signedSum;
}

bool IsTarHeader(std::span<const std::uint8_t> header) {
  if (!TarChecksumHolds(header)) return false;
  return std::memcmp(header.data() + kTarMagic, "ustar", 5) == 0 || header[kTarName] != 0;
}

bool IsZeroBlock(std::span<const std::uint8_t> block) {
  return std::ranges::all_of(block, [](std::uint8_t byte) { return byte == 0; });
}

bool TarNumber(std::span<const std::uint8_t> field, std::int64_t& value) {
  if (field.empty()) return false;
  if (field[0] == 0x80 || field[0] == 0xFF) return BinaryNumber(field, value);
  std::size_t digits = 0;
  return OctalNumber(field, value, digits);
}

std::string_view TarText(std::span<const std::uint8_t> field) {
  const auto end = std::ranges::find(field, std::uint8_t{0});
  return {reinterpret_cast<const char*>(field.data()),
          static_cast<std::size_t>(end - field.begin())};
}

bool ReadTarExtended(std::string_view records, TarExtended& extended) {
  while (!records.empty()) {
    const std::size_t blank = records.find(' ');
    std::int64_t length = 0;
    if (blank == std::string_view::npos || !DecimalNumber(records.substr(0, blank), length) ||
        length <= static_cast<std::int64_t>(blank) ||
        static_cast<std::uint64_t>(length) > records.size())
      return false;
    const std::string_view record = records.substr(0, static_cast<std::size_t>(length));
    records.remove_prefix(record.size());
    if (record.back() != '\n') return false;
    const std::string_view body = record.substr(blank + 1, record.size() - blank - 2);
    const std::size_t equals = body.find('=');
    if (equals == std::string_view::npos) return false;
    const std::string_view key = body.substr(0, equals), value = body.substr(equals + 1);
    // A value that is no number leaves the member's own field, as other
    // readers do.
    std::int64_t number = 0;
    if (key == "path") {
      extended.hasPath = true;
      extended.path = value;
    } else if (key == "size" && DecimalNumber(value, number)) {
      extended.hasSize = true;
      extended.size = number;
    } else if (key == "mtime" && Seconds(value, number)) {
      extended.hasMtime = true;
      extended.mtime = number;
    } else if (key == "GNU.sparse.name") {
      extended.hasSparseName = true;
      extended.sparseName = value;
    } else if ((key == "GNU.sparse.realsize" || key == "GNU.sparse.size") &&
               DecimalNumber(value, number)) {
      extended.hasRealSize = true;
      extended.realSize = number;
    }
  }
  return true;
}
