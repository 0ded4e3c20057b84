#include "common/display_columns.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "common/inside_text.h"

namespace {

struct CodeRange {
  char32_t first, last;
};

// The East Asian wide and fullwidth characters (Unicode 14), merged into
// ranges: a range may take in unassigned code points of its block, and the
// emoji blocks are taken whole, though a few symbols there show narrow: one
// counted wide at most brings a pause a row early. Sorted, for the search.
constexpr CodeRange kWideRanges[] = {
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},
    {0x23F0, 0x23F0},   {0x23F3, 0x23F3},   {0x25FD, 0x25FE},   {0x2614, 0x2615},
    {0x2648, 0x2653},   {0x267F, 0x267F},   {0x2693, 0x2693},   {0x26A1, 0x26A1},
    {0x26AA, 0x26AB},   {0x26BD, 0x26BE},   {0x26C4, 0x26C5},   {0x26CE, 0x26CE},
    {0x26D4, 0x26D4},   {0x26EA, 0x26EA},   {0x26F2, 0x26F3},   {0x26F5, 0x26F5},
    {0x26FA, 0x26FA},   {0x26FD, 0x26FD},   {0x2705, 0x2705},   {0x270A, 0x270B},
    {0x2728, 0x2728},   {0x274C, 0x274C},   {0x274E, 0x274E},   {0x2753, 0x2755},
    {0x2757, 0x2757},   {0x2795, 0x2797},   {0x27B0, 0x27B0},   {0x27BF, 0x27BF},
    {0x2B1B, 0x2B1C},   {0x2B50, 0x2B50},   {0x2B55, 0x2B55},   {0x2E80, 0x303E},
    {0x3041, 0x4DBF},   {0x4E00, 0xA4CF},   {0xA960, 0xA97F},   {0xAC00, 0xD7A3},
    {0xF900, 0xFAFF},   {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},   {0xFF01, 0xFF60},
    {0xFFE0, 0xFFE6},   {0x16FE0, 0x16FE4}, {0x16FF0, 0x16FF1}, {0x17000, 0x18D08},
    {0x1AFF0, 0x1B2FF}, {0x1F004, 0x1F004}, {0x1F0CF, 0x1F0CF}, {0x1F18E, 0x1F18E},
    {0x1F191, 0x1F19A}, {0x1F200, 0x1F202}, {0x1F210, 0x1F23B}, {0x1F240, 0x1F248},
    {0x1F250, 0x1F251}, {0x1F260, 0x1F265}, {0x1F300, 0x1F64F}, {0x1F680, 0x1F6FF},
    {0x1F7E0, 0x1F7EB}, {0x1F7F0, 0x1F7F0}, {0x1F90C, 0x1F9FF}, {0x1FA70, 0x1FAFF},
    {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
};

constexpr bool SortedApart() {
  for (std::size_t i = 0; i < std::size(kWideRanges); ++i)
    if (kWideRanges[i].first > kWideRanges[i].last ||
        (i > 0 && kWideRanges[i - 1].last >= kWideRanges[i].first))
      return false;
  return true;
}
static_assert(SortedApart(), "the search needs the ranges sorted and apart");

std::size_t CharacterColumns(char32_t c) {
  if (c < kWideRanges[0].first) return 1;
  // Kana and the CJK ideographs, the bulk of wide text, without the search.
  if (c >= 0x3041 && c <= 0xA4CF) return c < 0x4DC0 || c > 0x4DFF ? 2 : 1;
  std::size_t low = 0, high = std::size(kWideRanges);
  while (low < high) {
    const std::size_t middle = (low + high) / 2;
    if (c > kWideRanges[middle].last)
      low = middle + 1;
    else if (c < kWideRanges[middle].first)
      high = middle;
    else
      return 2;
  }
  return 1;
}

// The length of the well-formed UTF-8 sequence at text[at], with its value;
// 0 when the byte starts none. The first continuation byte's narrower range
// behind E0, ED, F0 and F4 rules out overlong forms, encoded surrogates and
// values past U+10FFFF.
std::size_t ReadSequence(std::string_view text, std::size_t at, char32_t& value) {
  const unsigned lead = static_cast<unsigned char>(text[at]);
  std::size_t length;
  unsigned low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    value = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (length > text.size() - at) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned next = static_cast<unsigned char>(text[at + i]);
    if (next < low || next > high) return 0;
    low = 0x80;
    high = 0xBF;
    value = value << 6 | (next & 0x3F);
  }
  return length;
}

constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

}  // namespace

ColumnSpan FitColumns(std::string_view text, std::size_t columns) {
  ColumnSpan span;
  std::size_t& at = span.bytes;
  while (at < text.size() && span.columns < columns) {
    // Most text is ASCII, one column a byte: a run of it is passed eight
    // bytes at a time, up to the end of the text or of the columns.
    const std::size_t room = std::min(text.size() - at, columns - span.columns);
    std::size_t run = 0;
    for (std::uint64_t word; room - run >= 8; run += 8) {
      std::memcpy(&word, text.data() + at + run, sizeof word);
      if (word & kHighBits) break;
    }
    while (run < room && static_cast<unsigned char>(text[at + run]) < 0x80) ++run;
    at += run;
    span.columns += run;
    if (run == room) break;

    // A byte of the ANSI code page escaped in the text (inside_text.h) takes
    // the column it takes there (a double-byte character is two such bytes),
    // and so does a byte that starts no well-formed sequence (damage).
    char32_t value = 0;
    std::size_t length = 0, width = 1;
    if (IsEscapedByteAt(text, at)) {
      length = kEscapedByteSize;
    } else if ((length = ReadSequence(text, at, value)) != 0) {
      width = CharacterColumns(value);
    }
    if (width > columns - span.columns) break;
    at += length == 0 ? 1 : length;
    span.columns += width;
  }
  return span;
}
