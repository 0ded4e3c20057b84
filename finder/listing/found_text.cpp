#include "finder/listing/found_text.h"

namespace {

constexpr std::size_t kCountWidthLimit = 13;  // "2,147,483,647"
constexpr std::size_t kTotalWidthLimit = 26;  // "18,446,744,073,709,551,615"

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The width behind a code, read from text[pos]; pos ends behind the digits,
// or on the blank or tab that ends the code (it stays ordinary text). The
// message texts are short, so a long run of digits only has to stay at the
// limit, never overflow.
std::size_t ScanWidth(std::string_view text, std::size_t& pos, std::size_t limit) {
  while (pos < text.size()) {
    char c = text[pos];
    if (c == ' ' || c == '\t') return 0;
    if (IsDigit(c)) {
      std::size_t width = 0;
      for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
        width = width * 10 + static_cast<std::size_t>(text[pos] - '0');
        if (width > limit) width = limit;
      }
      return width;
    }
    ++pos;  // dropped: "$SB19" reads as "$S19"
  }
  return 0;
}

int UnitShift(char unit) {
  switch (Upper(unit)) {
    case 'K':
      return 10;
    case 'M':
      return 20;
    case 'G':
      return 30;
    case 'T':
      return 40;
    default:
      return -1;
  }
}

}  // namespace

// Counts are shown as unsigned numbers: past 2^31 files a count must not turn
// negative.
GroupedNumber FormatCount(std::uint32_t count) {
  return GroupDigits(count);
}

GroupedNumber FormatByteTotal(std::uint64_t total) {
  return GroupDigits(total);
}

SummaryText ExpandFoundText(std::string_view text, const SearchTotals& totals) {
  SummaryText line;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t dollar = text.find('$', pos);
    if (dollar == std::string_view::npos) {
      line.Append(text.substr(pos));
      break;
    }
    line.Append(text.substr(pos, dollar - pos));
    pos = dollar + 1;
    char code = pos < text.size() ? Upper(text[pos]) : '\0';
    if (code == 'C') {
      ++pos;
      std::size_t width = ScanWidth(text, pos, kCountWidthLimit);
      AppendRightAligned(line, FormatCount(totals.count).view(), width);
    } else if (code == 'S') {
      ++pos;
      // Every $S starts again from the whole total.
      std::uint64_t total = totals.bytes;
      int shift = pos < text.size() ? UnitShift(text[pos]) : -1;
      if (shift >= 0) {
        total >>= shift;
        ++pos;
      }
      std::size_t width = ScanWidth(text, pos, kTotalWidthLimit);
      AppendRightAligned(line, FormatByteTotal(total).view(), width);
    } else if (code == '$') {
      line.Append('$');
      ++pos;
    } else {
      // A "$" before anything else, or at the very end, is plain text.
      line.Append('$');
    }
  }
  return line;
}
