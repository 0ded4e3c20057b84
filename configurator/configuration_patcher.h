// Mode W's work per line: the value a line of the configuration file asks
// for, converted to UTF-16 and written into its slot of the mapped
// executable at once.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "configurator/string_table_patch.h"

class TextWriter;

// Converts a text of the ANSI code page to UTF-16. On failure it has written
// its own message and returns false.
class AnsiConverter {
 public:
  virtual bool ToUtf16(std::string_view ansi, std::u16string& wide) = 0;

 protected:
  ~AnsiConverter() = default;
};

class ConfigurationPatcher {
 public:
  ConfigurationPatcher(std::span<std::uint8_t> image, const StringTableLocation& table,
                       AnsiConverter& converter, TextWriter& errors)
      : image_(image), table_(table), converter_(converter), errors_(errors) {}

  // Applies one line of the configuration file (without its line end).
  // Lines that name no key are skipped quietly; refused values leave their
  // slot as it was, after a message naming the key.
  void ApplyLine(std::string_view line);

 private:
  std::span<std::uint8_t> image_;
  StringTableLocation table_;
  AnsiConverter& converter_;
  TextWriter& errors_;
  std::u16string wide_;
};
