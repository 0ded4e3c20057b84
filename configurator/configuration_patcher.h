// Mode W's work per line: the value a line of the configuration file asks
// for, converted to UTF-16 and written into its slot of the mapped
// executable at once.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "configurator/configuration_reader.h"
#include "configurator/string_table_patch.h"

class TextWriter;

// Converts between the ANSI code page and UTF-16. ToUtf16 on failure has
// written its own message and returns false. FromUtf16 converts as the
// system's string loader does (a character the code page lacks becomes its
// best fit or the default character), so its result is what mode R exports.
class AnsiConverter {
 public:
  virtual bool ToUtf16(std::string_view ansi, std::u16string& wide) = 0;
  virtual std::string FromUtf16(std::u16string_view wide) = 0;

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
  // slot as it was, after a message naming the key (or "Error Code : %d"
  // for a value the code page cannot convert). A value that is what mode R
  // exports for its slot leaves the slot as it is, so an exported file
  // written back changes nothing, even texts the code page cannot hold.
  void ApplyLine(std::string_view line);

  // True once any line's value has been refused.
  bool refused() const { return refused_; }

 private:
  std::span<std::uint8_t> image_;
  StringTableLocation table_;
  AnsiConverter& converter_;
  TextWriter& errors_;
  std::u16string wide_;
  bool refused_ = false;

  bool IsExportOfSlot(const ConfigurationLine& parsed, std::string_view line);
  // Converts the line's value and writes it into its slot; false after the
  // message of a refusal.
  bool WriteValue(std::string_view line);
};
