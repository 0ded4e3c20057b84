#include "configurator/configurator_arguments.h"

#include <cstdio>

namespace {

bool IsMode(std::string_view arg, char letter) {
  return arg.size() == 1 && (arg[0] == letter || arg[0] == letter - 'A' + 'a');
}

}  // namespace

ConfiguratorArguments ParseConfiguratorArguments(std::span<const std::string_view> args) {
  ConfiguratorArguments parsed;
  int files = 0;
  for (std::string_view arg : args) {
    if (IsMode(arg, 'R')) {
      parsed.mode = ConfigMode::kRead;
    } else if (IsMode(arg, 'W')) {
      parsed.mode = ConfigMode::kWrite;
    } else if (files == 0) {
      parsed.executable = arg;
      parsed.modeAtExecutable = parsed.mode;
      ++files;
    } else if (files == 1) {
      parsed.configuration = arg;
      ++files;
    }
  }
  if (files == 0) parsed.modeAtExecutable = parsed.mode;
  return parsed;
}

bool AddDefaultExtension(PathText& path, std::string_view extension) {
  std::string_view text = path.view();
  std::size_t slash = text.rfind('\\');
  std::string_view last = slash == std::string_view::npos ? text : text.substr(slash + 1);
  if (last.find('.') != std::string_view::npos) return true;
  return path.Append(extension);
}

BoundedText<16> VersionText(std::uint32_t version) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%02u", static_cast<unsigned>(version >> 16),
                static_cast<unsigned>(version & 0xFFFF));
  return BoundedText<16>(text);
}
