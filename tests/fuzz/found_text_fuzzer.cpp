// The summary line from an arbitrary found text (the configurator lets a user
// write any) and arbitrary totals, against a plain reading of the codes into
// an unbounded string: the line must be that string, cut at the 519 bytes
// the line holds, and say that it was cut exactly when it was.
// Input: four bytes of count, eight bytes of byte total, then the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "finder/listing/found_text.h"

namespace {

std::string Grouped(std::uint64_t value) {
  std::string digits = std::to_string(value), out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i != 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

char Up(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

// Behind a code: a run of digits is the width (at most `limit`), a blank or
// tab ends it with none, anything else is dropped on the way.
std::size_t Width(std::string_view text, std::size_t& i, std::size_t limit) {
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c == ' ' || c == '\t') return 0;
    if (c >= '0' && c <= '9') {
      std::size_t width = 0;
      while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        width = std::min<std::size_t>(limit, width * 10 + (text[i++] - '0'));
      return width;
    }
  }
  return 0;
}

void Pad(std::string& line, const std::string& number, std::size_t width) {
  if (number.size() < width) line.append(width - number.size(), ' ');
  line += number;
}

std::string Reference(std::string_view text, std::uint32_t count, std::uint64_t bytes) {
  std::string line;
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] != '$') {
      line += text[i++];
      continue;
    }
    char code = i + 1 < text.size() ? Up(text[i + 1]) : '\0';
    if (code == 'C') {
      i += 2;
      std::size_t width = Width(text, i, 13);
      Pad(line, Grouped(count), width);
    } else if (code == 'S') {
      i += 2;
      std::uint64_t total = bytes;
      char unit = i < text.size() ? Up(text[i]) : '\0';
      int shift = unit == 'K' ? 10 : unit == 'M' ? 20 : unit == 'G' ? 30 : unit == 'T' ? 40 : 0;
      if (shift) ++i, total >>= shift;
      std::size_t width = Width(text, i, 26);
      Pad(line, Grouped(total), width);
    } else if (code == '$') {
      line += '$';
      i += 2;
    } else {
      line += '$';
      ++i;
    }
  }
  return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 12) return 0;
  SearchTotals totals;
  for (int i = 0; i < 4; ++i) totals.count = totals.count << 8 | data[i];
  for (int i = 4; i < 12; ++i) totals.bytes = totals.bytes << 8 | data[i];
  std::string_view text(reinterpret_cast<const char*>(data + 12), size - 12);

  SummaryText line = ExpandFoundText(text, totals);
  std::string expected = Reference(text, totals.count, totals.bytes);
  std::string_view kept = std::string_view(expected).substr(0, SummaryText::capacity());
  if (line.view() != kept) std::abort();
  if (line.truncated() != (expected.size() > kept.size())) std::abort();
  return 0;
}
