// The found message's placeholder codes and the numbers they stand for.
//
//   $C[w]    the count of files found, right-aligned in w columns (w <= 13)
//   $S[u][w] the byte total divided by the unit u (K M G T: 2^10 .. 2^40, any
//            case), right-aligned in w columns (w <= 26)
//   $$       one "$"; a "$" before any other character stays as it is
//
// Behind $C, and behind $S or its unit, the width scan drops every character
// up to the first digit (the width), blank or tab (no width; the blank stays
// text) or the end of the text (no width): "$SB19" is "$S19".
#pragma once

#include <cstdint>
#include <string_view>

#include "common/bounded_text.h"
#include "finder/listing/listing_lines.h"
#include "finder/records/search_options.h"

using SummaryText = BoundedText<kCommandSize>;

// The count with "," grouping: 1234 -> "1,234".
GroupedNumber FormatCount(std::uint32_t count);
// The byte total with "," grouping, over all 64 bits.
GroupedNumber FormatByteTotal(std::uint64_t total);

// The found message with its codes filled from `totals`. What does not fit
// the 520-byte line is cut.
SummaryText ExpandFoundText(std::string_view text, const SearchTotals& totals);
