#include "configurator/configuration_writer.h"

#include <array>

#include "common/error_code.h"
#include "common/message_table.h"
#include "common/text_writer.h"

namespace {

// The wait and finish messages are left out: few want to change them, and
// mode W still accepts their keys for those who do.
constexpr std::array<unsigned, 9> kWrittenIds = {
    msg::kDefaultOption,   msg::kJapaneseFound, msg::kJapaneseNotFound,
    msg::kJapanesePause,   msg::kJapaneseQuery, msg::kEnglishFound,
    msg::kEnglishNotFound, msg::kEnglishPause,  msg::kEnglishQuery,
};

std::string_view KeyOf(unsigned id) {
  for (const msg::MessageSlot& slot : msg::kMessageSlots) {
    if (slot.textId == id) return slot.key;
  }
  return {};
}

}  // namespace

std::string ExportedValue(std::string_view text) {
  std::string value;
  // A line feed would end the line in the file; "$N" brings it back in mode W.
  for (std::size_t feed; (feed = text.find('\n')) != std::string_view::npos;) {
    value.append(text.substr(0, feed));
    value.append("$N");
    text.remove_prefix(feed + 1);
  }
  value.append(text);
  return value;
}

bool ReadConfiguration(MessageSource& source, TextWriter& out, TextWriter& errors) {
  for (unsigned id : kWrittenIds) {
    std::string_view text;
    unsigned long errorCode = 0;
    if (!source.Load(id, text, errorCode)) {
      WriteErrorCode(errors, errorCode);
      return false;
    }
    const std::string_view key = KeyOf(id);
    out.Write(key);
    out.Write("=\"");
    out.Write(ExportedValue(text));
    out.Write("\"\n");
    // The line holds question marks or look-alikes; mode W leaves the slot
    // alone while the line stays so, but the user should know.
    if (!source.Exact())
      errors.Printf("%.*s cannot be written in this code page.\n", static_cast<int>(key.size()),
                    key.data());
  }
  return true;
}
