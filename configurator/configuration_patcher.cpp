#include "configurator/configuration_patcher.h"

#include "common/text_writer.h"
#include "configurator/configuration_reader.h"
#include "configurator/configuration_writer.h"

bool ConfigurationPatcher::IsExportOfSlot(const ConfigurationLine& parsed, std::string_view line) {
  auto text = ReadMessageText(image_, table_, parsed.slot->textId);
  if (!text) return false;
  // Mode R writes a double quote inside a text as it is, and the value read
  // back ends at it; so the export is looked for in the rest of the line,
  // closed by a double quote or the line's end.
  const std::string exported = ExportedValue(converter_.FromUtf16(*text));
  const std::string_view rest(
      parsed.value.data(),
      static_cast<std::size_t>(line.data() + line.size() - parsed.value.data()));
  return rest.starts_with(exported) &&
         (rest.size() == exported.size() || rest[exported.size()] == '"');
}

void ConfigurationPatcher::ApplyLine(std::string_view line) {
  auto parsed = ParseConfigurationLine(line);
  if (!parsed || IsExportOfSlot(*parsed, line)) return;
  if (!WriteValue(line)) refused_ = true;
}

bool ConfigurationPatcher::WriteValue(std::string_view line) {
  auto value = ConvertConfigurationLine(line, errors_);
  if (!value) return false;
  if (!converter_.ToUtf16(value->text, wide_)) return false;
  std::string_view key = value->slot->key;
  switch (WriteMessageText(image_, table_, value->slot->textId, wide_)) {
    case PatchResult::kWritten:
      return true;
    case PatchResult::kTooLong:
      // The slot holds 80 code units, one of them kept for the loader's
      // terminator; a longer text would run into the next message.
      errors_.Printf("%.*s is longer than 79 characters.\n", static_cast<int>(key.size()),
                     key.data());
      break;
    case PatchResult::kOutOfRange:
      // FindStringTable checked every slot, so this cannot happen on a table
      // it returned; say so rather than write blindly.
      errors_.Printf("%.*s cannot be written.\n", static_cast<int>(key.size()), key.data());
      break;
  }
  return false;
}
