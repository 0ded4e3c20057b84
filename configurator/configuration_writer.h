// Writing a configuration file (mode R): the default options and the
// messages of the executable, one "Key="text"" line each.
#pragma once

#include <string>
#include <string_view>

class TextWriter;

// The configurator's access to the executable's texts. Load() gives the text
// of `id` in the ANSI code page, or false with the system's error code when it
// cannot be loaded or is empty. Exact() tells whether the text last loaded is
// the whole text, false when the code page could not hold all its characters.
class MessageSource {
 public:
  virtual bool Load(unsigned id, std::string_view& text, unsigned long& errorCode) = 0;
  virtual bool Exact() const = 0;

 protected:
  ~MessageSource() = default;
};

// The value mode R writes for a text of the ANSI code page: a line feed as
// "$N", every other character unchanged.
std::string ExportedValue(std::string_view text);

// Writes the default options and the messages 3, 5, 7, 9, 15, 17, 19, 21 in
// this order to `out`, a line feed inside a message as "$N". A text that is
// not Exact() is still written, after "%s cannot be written in this code
// page.\n" with its key to `errors`. A text that cannot be loaded writes
// "Error Code : %d\n" to `errors` and ends the writing with false; the lines
// written before it stay.
bool ReadConfiguration(MessageSource& source, TextWriter& out, TextWriter& errors);
