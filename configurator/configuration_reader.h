// Reading a configuration file (mode W): its lines, their keys and values,
// and the checks and conversions of each value before it is written into
// the executable.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/message_table.h"

class TextWriter;

// The slot of a configuration key, matched without regard to ASCII case; the
// keys spelt "Jananese..." are also found as "JapaneseFound",
// "JapaneseNotFound" and "JapanesePause".
const msg::MessageSlot* FindConfigKey(std::string_view key);

// One line naming a key: its slot and the text between its double quotes
// (up to the next double quote, or to the end of the line when the closing
// quote is missing). Nothing for comments (first token starting with ";"),
// empty lines, unknown keys and lines without a double quote behind the key.
struct ConfigurationLine {
  const msg::MessageSlot* slot;
  std::string_view value;
};
std::optional<ConfigurationLine> ParseConfigurationLine(std::string_view line);

// The default options as stored: words that are no option dropped, negated
// options dropped, option letters without a parameter cut to switch and
// letter, at most 79 characters. An unknown option letter writes "Invalid
// option character. : %c\n" to `errors` and gives nothing.
std::optional<std::string> NormalizeDefaultOptions(std::string_view value, TextWriter& errors);

// The message a value stands for: $N a line feed, $C and $S as "$C" and "$S",
// $$ one "$", "$" before any other character dropped (the letter in any case).
std::string UnescapeMessage(std::string_view value);

// The text a line asks to write, after the check of its key (the English
// messages must be ASCII, the default options valid); a refusal has written
// its message to `errors`.
struct ConfigurationValue {
  const msg::MessageSlot* slot;
  std::string text;  // in the ANSI code page
};
std::optional<ConfigurationValue> ConvertConfigurationLine(std::string_view line,
                                                           TextWriter& errors);

// Splits a file read in pieces into whole lines, however long, the way a
// text-mode read gives them: without their line feed, a carriage return in
// front of it dropped.
class LineAssembler {
 public:
  // Calls `onLine(std::string_view)` for each line completed by `chunk`.
  template <typename OnLine>
  void Feed(std::string_view chunk, OnLine&& onLine) {
    for (std::size_t start = 0; start < chunk.size();) {
      std::size_t end = chunk.find('\n', start);
      if (end == std::string_view::npos) {
        pending_.append(chunk.substr(start));
        return;
      }
      pending_.append(chunk.substr(start, end - start));
      onLine(TakeLine());
      start = end + 1;
    }
  }
  // The last line, when the file does not end with a line feed.
  template <typename OnLine>
  void Finish(OnLine&& onLine) {
    if (!pending_.empty()) onLine(TakeLine());
  }

 private:
  std::string_view TakeLine() {
    line_.swap(pending_);
    pending_.clear();
    if (!line_.empty() && line_.back() == '\r') line_.pop_back();
    return line_;
  }

  std::string pending_;
  std::string line_;
};
