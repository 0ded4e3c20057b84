// The configurator's command line: the mode and the two file arguments.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "common/bounded_text.h"

enum class ConfigMode { kRead, kWrite };

struct ConfiguratorArguments {
  ConfigMode mode = ConfigMode::kRead;  // the last "R" or "W" given
  // The mode as set by the arguments in front of the executable: the version
  // check reports with it, since it runs when the executable argument is met.
  ConfigMode modeAtExecutable = ConfigMode::kRead;
  std::string_view executable;     // empty when missing
  std::string_view configuration;  // empty when missing
};

// "R" or "W" in either case as a whole argument sets the mode; the first
// other argument is the executable, the second the configuration file;
// further ones are ignored.
ConfiguratorArguments ParseConfiguratorArguments(std::span<const std::string_view> args);

// A full path as the configurator holds it: UTF-8, up to the platform's
// 32,767 UTF-16 units, each of which takes at most three bytes.
inline constexpr std::size_t kPathUnits = 32767;
using PathText = BoundedText<3 * kPathUnits + 1>;

// Appends `extension` when the last component of `path` (behind its last
// backslash) holds no "."; false when the result does not fit.
bool AddDefaultExtension(PathText& path, std::string_view extension);

// A file version's major (upper 16 bits) and minor number as "%d.%02d".
BoundedText<16> VersionText(std::uint32_t version);
