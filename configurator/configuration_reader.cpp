#include "configurator/configuration_reader.h"

#include <utility>

#include "common/text_writer.h"
#include "finder/archive/archive_format.h"

namespace {

constexpr std::size_t kMaxDefaultOptions = 79;  // the finder loads them into 80 bytes

bool IsTokenSeparator(char c) {
  return c == ' ' || c == '\t' || c == '=' || c == '\n';
}

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Upper(a[i]) != Upper(b[i])) return false;
  }
  return true;
}

bool IsEnglish(const msg::MessageSlot& slot) {
  return slot.textId >= msg::kEnglishFound;
}

bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

enum class OptionKind { None, Negation, WithParameter, Flag };

OptionKind KindOfOption(char letter) {
  // An archive kind's option takes the archives' names.
  if (ArchiveFormatForOption(letter)) return OptionKind::WithParameter;
  switch (letter) {
    case '!':
    case '-':
      return OptionKind::Negation;
    case 'A':
    case 'D':
    case 'F':
    case 'K':
    case 'M':
    case 'S':
    case 'T':
    case 'X':
      return OptionKind::WithParameter;
    case 'E':
    case 'J':
    case 'N':
    case 'O':
    case 'P':
    case 'U':
    case 'W':
      return OptionKind::Flag;
    default:
      return OptionKind::None;
  }
}

}  // namespace

const msg::MessageSlot* FindConfigKey(std::string_view key) {
  for (const msg::MessageSlot& slot : msg::kMessageSlots) {
    if (EqualIgnoringCase(slot.key, key)) return &slot;
  }
  // Three stored keys are misspelt; a user who writes them right is understood.
  constexpr std::pair<std::string_view, unsigned> kMendedSpellings[] = {
      {"JapaneseFound", msg::kJapaneseFound},
      {"JapaneseNotFound", msg::kJapaneseNotFound},
      {"JapanesePause", msg::kJapanesePause},
  };
  for (const auto& [spelling, id] : kMendedSpellings) {
    if (!EqualIgnoringCase(spelling, key)) continue;
    for (const msg::MessageSlot& slot : msg::kMessageSlots)
      if (slot.textId == id) return &slot;
  }
  return nullptr;
}

std::optional<ConfigurationLine> ParseConfigurationLine(std::string_view line) {
  std::size_t start = 0;
  while (start < line.size() && IsTokenSeparator(line[start])) ++start;
  std::size_t end = start;
  while (end < line.size() && !IsTokenSeparator(line[end])) ++end;
  std::string_view token = line.substr(start, end - start);
  if (token.empty() || token.front() == ';') return std::nullopt;
  const msg::MessageSlot* slot = FindConfigKey(token);
  if (!slot) return std::nullopt;

  // Whatever stands between the key and the first double quote is ignored.
  std::size_t open = end < line.size() ? line.find('"', end + 1) : std::string_view::npos;
  if (open == std::string_view::npos) return std::nullopt;
  std::string_view rest = line.substr(open + 1);
  std::size_t close = rest.find_first_of("\"\n");
  return ConfigurationLine{slot, rest.substr(0, close)};
}

std::optional<std::string> NormalizeDefaultOptions(std::string_view value, TextWriter& errors) {
  std::string result;
  std::size_t at = 0;
  while (at < value.size()) {
    if (value[at] == ' ' || value[at] == '\t') {
      ++at;
      continue;
    }
    std::size_t end = value.find_first_of(" \t", at);
    if (end == std::string_view::npos) end = value.size();
    std::string_view word = value.substr(at, end - at);
    at = end;

    if (word[0] != '/' && word[0] != '-') continue;
    char letter = word.size() > 1 ? word[1] : '\0';
    switch (KindOfOption(Upper(letter))) {
      case OptionKind::Negation:
        continue;  // a negation only undoes a default: there is none to undo
      case OptionKind::WithParameter:
        break;  // the parameter is the finder's to check
      case OptionKind::Flag:
        word = word.substr(0, 2);
        break;
      case OptionKind::None:
        errors.Printf("Invalid option character. : %c\n", letter);
        return std::nullopt;
    }
    std::size_t needed = result.size() + (result.empty() ? 0 : 1) + word.size();
    if (needed > kMaxDefaultOptions) continue;
    if (!result.empty()) result += ' ';
    result.append(word);
  }
  return result;
}

std::string UnescapeMessage(std::string_view value) {
  std::string text;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '$') {
      text += value[i];
      continue;
    }
    if (++i == value.size()) break;
    switch (char code = Upper(value[i])) {
      case 'N':
        text += '\n';
        break;
      case 'C':
      case 'S':
        text += '$';
        text += code;
        break;
      default:  // "$$" gives "$"; any other character stands for itself
        text += value[i];
        break;
    }
  }
  return text;
}

std::optional<ConfigurationValue> ConvertConfigurationLine(std::string_view line,
                                                           TextWriter& errors) {
  auto parsed = ParseConfigurationLine(line);
  if (!parsed) return std::nullopt;
  const msg::MessageSlot& slot = *parsed->slot;
  if (slot.textId == msg::kDefaultOption) {
    auto options = NormalizeDefaultOptions(parsed->value, errors);
    if (!options) return std::nullopt;
    return ConfigurationValue{&slot, std::move(*options)};
  }
  // The English texts are shown whatever the console's code page.
  if (IsEnglish(slot) && !IsAscii(parsed->value)) {
    errors.Printf("%.*s includes not ascii code.\n", static_cast<int>(slot.key.size()),
                  slot.key.data());
    return std::nullopt;
  }
  return ConfigurationValue{&slot, UnescapeMessage(parsed->value)};
}
