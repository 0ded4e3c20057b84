// The screen columns a text takes on the console: what the pause under /P
// and the fixed-width columns of the listing count, since a byte is no column
// once names are UTF-8.
#pragma once

#include <cstddef>
#include <string_view>

// A beginning of a text: its bytes and the columns they take.
struct ColumnSpan {
  std::size_t bytes = 0;
  std::size_t columns = 0;
};

// Columns are counted on `text` read as UTF-8, as the console shows it: East
// Asian wide and fullwidth characters (CJK, kana, Hangul syllables, fullwidth
// forms, emoji) take two, every other character one, halfwidth katakana
// included. A byte of the ANSI code page escaped in the text (inside_text.h)
// takes one column, as it does in that code page, and so does a byte that is
// not part of a well-formed sequence.
//
// The longest beginning of `text` that fits in `columns` columns without
// cutting a character: a wide character that would pass the edge is left out.
ColumnSpan FitColumns(std::string_view text, std::size_t columns);
