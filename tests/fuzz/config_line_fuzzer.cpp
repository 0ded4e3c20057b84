// One line of a configuration file through the mode W reader: any bytes,
// any length. The text handed on never grows beyond the line, and the
// default options never pass 79 characters.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "common/text_writer.h"
#include "configurator/configuration_reader.h"

namespace {

bool Discard(void*, const char*, std::size_t) {
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static TextWriter errors(Discard, nullptr, false);
  std::string_view line(reinterpret_cast<const char*>(data), size);
  auto value = ConvertConfigurationLine(line, errors);
  if (value) {
    if (value->text.size() > size) std::abort();
    if (value->slot->textId == 1 && value->text.size() > 79) std::abort();
  }
  if (UnescapeMessage(line).size() > size) std::abort();
  errors.Flush();
  return 0;
}
