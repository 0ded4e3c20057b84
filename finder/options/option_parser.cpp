#include "finder/options/option_parser.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "common/inside_text.h"
#include "finder/archive/archive_format.h"

namespace {

constexpr std::uint32_t kJapaneseCodePage = 932;
constexpr std::uint32_t kUtf8CodePage = 65001;
constexpr std::uint32_t kNormalPriorityClass = 0x20;
constexpr std::uint32_t kNewConsole = 0x10;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The texts come from C strings (the command line, a string resource, an
// environment variable): a zero byte ends them wherever it stands.
std::string_view UpToZero(std::string_view text) {
  return text.substr(0, text.find('\0'));
}

char At(std::string_view text, std::size_t position) {
  return position < text.size() ? text[position] : '\0';
}

std::size_t SkipBlanks(std::string_view text, std::size_t position) {
  while (position < text.size() && IsBlank(text[position])) ++position;
  return position;
}

std::uint16_t AttributeBit(char letter) {
  switch (Upper(letter)) {
    case 'A':
      return kAttrArchive;
    case 'D':
      return kAttrDirectory;
    case 'H':
      return kAttrHidden;
    case 'R':
      return kAttrReadOnly;
    case 'S':
      return kAttrSystem;
    default:
      return 0;
  }
}

enum class Layer : std::uint8_t { kCommandLine, kDefaults };

// One pass over one option text. The two layers share every option; they
// differ in what they do with text that is no option and with errors.
class OptionReader {
 public:
  OptionReader(std::string_view text, SearchOptions& options, const ParserFacts& facts,
               TextWriter& errors, Layer layer)
      : text_(text), options_(options), facts_(facts), errors_(errors), layer_(layer) {}

  CommandLineOutcome ParseCommandLine();
  void ParseDefaults();

 private:
  char At(std::size_t position) const { return ::At(text_, position); }
  bool OnCommandLine() const { return layer_ == Layer::kCommandLine; }
  std::string_view InvalidCharacter(std::size_t position) const;
  bool Failed() const { return outcome_.kind != CommandLineOutcome::kContinue; }

  void Fail(std::string_view message) {
    errors_.Write(message);
    outcome_ = {CommandLineOutcome::kFail, 2};
  }
  // Blanks behind a parameter start a new word.
  std::size_t SkipBlanksAfterParameter(std::size_t position) {
    const std::size_t next = SkipBlanks(text_, position);
    if (next != position) wordStart_ = true;
    return next;
  }

  bool AppendToFileName(std::string_view part);
  std::size_t ReadOption(std::size_t position);
  std::size_t ReadNegated(char letter, std::size_t letterPosition);
  std::size_t ReadAttributes(std::size_t position);
  std::size_t ReadArchiveName(std::size_t position, ArchiveWant& want, std::string_view fallback);
  std::size_t ReadArchiveKinds(std::size_t position);
  std::size_t ReadCodePage(std::size_t position);
  void WantKind(const ArchiveFormat& format, std::string_view names);
  std::size_t ReadSizeRange(std::size_t position);
  std::size_t ReadDateTimeRange(std::size_t position, bool time);

  std::string_view text_;
  SearchOptions& options_;
  const ParserFacts& facts_;
  TextWriter& errors_;
  Layer layer_;
  bool wordStart_ = false;
  CommandLineOutcome outcome_;
};

// fileNameText holds 519 characters (UTF-16 units). Blanks that no longer
// fit are let go: they can only be the trailing blanks that the entry
// removes anyway, since any later character would not fit either. Anything
// else that does not fit refuses the name rather than searching for a
// different, shortened one.
bool OptionReader::AppendToFileName(std::string_view part) {
  CommandText& name = options_.fileNameText;
  const std::size_t room = kCommandSize - 1 - Utf16Units(name.view());
  const std::size_t fits = BytesWithinUnits(part, room);
  name.Append(part.substr(0, fits));
  for (char c : part.substr(fits))
    if (!IsBlank(c)) {
      Fail(FileNameTooLongMessage(options_.japanese));
      return false;
    }
  return true;
}

// The character that the invalid-option message names: a UTF-8 sequence
// whole, as a lone byte of it would show as nothing readable.
std::string_view OptionReader::InvalidCharacter(std::size_t position) const {
  if (position >= text_.size()) return {};
  std::size_t end = position + 1;
  if (static_cast<unsigned char>(text_[position]) >= 0xC0)
    while (end < text_.size() && end - position < 4 &&
           (static_cast<unsigned char>(text_[end]) & 0xC0) == 0x80)
      ++end;
  return text_.substr(position, end - position);
}

CommandLineOutcome OptionReader::ParseCommandLine() {
  options_.fileNameText.Clear();
  std::size_t position = SkipBlanks(text_, 0);
  wordStart_ = position > 0;
  while (position < text_.size() && !Failed()) {
    const char c = text_[position];
    if (IsBlank(c)) {
      AppendToFileName(text_.substr(position, 1));
      wordStart_ = true;
      ++position;
    } else if (c == '"') {
      // A quoted name may hold blanks and switch characters.
      const std::size_t close = text_.find('"', position + 1);
      const std::size_t end = close == std::string_view::npos ? text_.size() : close;
      AppendToFileName(text_.substr(position + 1, end - position - 1));
      position = end == text_.size() ? end : end + 1;
    } else if (c == '[' || c == '{') {
      if (!ExtractCommandTemplate(text_, position, options_))
        Fail(CommandTemplateTooLongMessage(options_.japanese));
      options_.runCommand = true;
    } else if (c == '/' || (c == '-' && wordStart_)) {
      position = ReadOption(position);
    } else {
      // A hyphen inside a word (my-file.txt) belongs to the name.
      AppendToFileName(text_.substr(position, 1));
      wordStart_ = false;
      ++position;
    }
  }
  return outcome_;
}

void OptionReader::ParseDefaults() {
  // Parsing resumes at the start of each word and right after a parameter;
  // at each of these places both "/" and "-" are switches.
  std::size_t position = SkipBlanks(text_, 0);
  while (position < text_.size()) {
    const char c = text_[position];
    position = c == '/' || c == '-' ? ReadOption(position) : SkipWord(text_, position);
  }
}

// `position` is at the switch character; returns where parsing resumes.
std::size_t OptionReader::ReadOption(std::size_t position) {
  std::size_t letterPosition = position + 1;
  char letter = Upper(At(letterPosition));
  if (letter == '!' || letter == '-') {
    ++letterPosition;
    return ReadNegated(Upper(At(letterPosition)), letterPosition);
  }
  const std::size_t parameter = letterPosition + 1;
  if (const ArchiveFormat* format = ArchiveFormatForOption(letter))
    return ReadArchiveName(parameter, WantOf(options_, *format), format->archiveNames);
  switch (letter) {
    case 'A':
      return ReadAttributes(parameter);
    case 'D':
      return ReadDateTimeRange(parameter, false);
    case 'T':
      return ReadDateTimeRange(parameter, true);
    case 'S':
      return ReadSizeRange(parameter);
    case 'E':
      options_.findExecutable = true;
      break;
    case 'F': {
      const std::size_t choice = At(parameter) == ':' ? parameter + 1 : parameter;
      options_.form = At(choice) == '1' ? 1 : At(choice) == '2' ? 2 : 0;
      break;
    }
    case 'K':
      return ReadCodePage(parameter);
    case 'J':
      // Japanese text is only readable on a console that shows code page 932
      // or UTF-8; a UTF-8 console is every user's, and the shipped defaults
      // hold /J, so there it takes a Japanese user.
      if (options_.consoleCodePage == kJapaneseCodePage ||
          (options_.consoleCodePage == kUtf8CodePage && facts_.japaneseUser))
        options_.japanese = true;
      break;
    case 'M': {
      // /M alone opens one level; a digit asks for that many, three at most
      // (0 for none, as /-M).
      const std::size_t choice = At(parameter) == ':' ? parameter + 1 : parameter;
      const char digit = At(choice);
      options_.innerArchiveLevels =
          digit >= '0' && digit <= '9' ? std::min(digit - '0', kInnerArchiveLevels) : 1;
      break;
    }
    case 'N':
      options_.noEcho = true;
      break;
    case 'O':
      options_.searchOrdinary = true;
      break;
    case 'P':
      options_.pausePerScreen = true;
      break;
    case 'U':
      options_.searchSubdirectories = true;
      break;
    case 'W':
      options_.wholeMemberPaths = true;
      break;
    case 'X':
      return ReadArchiveKinds(parameter);
    case 'H':
    case '?':
      if (OnCommandLine()) {
        outcome_ = {CommandLineOutcome::kShowUsage, 0};
        return text_.size();
      }
      break;
    default:
      if (OnCommandLine()) {
        WriteInvalidOptionMessage(errors_, InvalidCharacter(letterPosition), options_.japanese);
        outcome_ = {CommandLineOutcome::kFail, 2};
        return text_.size();
      }
      break;
  }
  return SkipWord(text_, letterPosition);
}

// A negation switches a setting off, typically one that the default options
// switched on. Letters with nothing to switch off are skipped with their word.
std::size_t OptionReader::ReadNegated(char letter, std::size_t letterPosition) {
  if (const ArchiveFormat* format = ArchiveFormatForOption(letter)) {
    WantOf(options_, *format).wanted = false;
    return SkipWord(text_, letterPosition);
  }
  switch (letter) {
    case 'A':
      options_.attributesRequired = options_.attributesExcluded = 0;
      break;
    case 'D':
      options_.dateMode = RangeMode::None;
      break;
    case 'E':
      options_.findExecutable = false;
      break;
    case 'F':
      options_.form = 0;
      break;
    case 'J':
      options_.japanese = false;
      break;
    case 'K':
      options_.memberCodePage = 0;
      break;
    case 'M':
      options_.innerArchiveLevels = 0;
      break;
    case 'O':
      options_.searchOrdinary = false;
      break;
    case 'P':
      options_.pausePerScreen = false;
      break;
    case 'S':
      options_.sizeMode = RangeMode::None;
      break;
    case 'T':
      options_.timeMode = RangeMode::None;
      break;
    case 'U':
      options_.searchSubdirectories = false;
      break;
    case 'W':
      options_.wholeMemberPaths = false;
      break;
    case 'X':
      for (ArchiveWant& want : options_.archives) want.wanted = false;
      break;
    default:
      break;
  }
  return SkipWord(text_, letterPosition);
}

std::size_t OptionReader::ReadAttributes(std::size_t position) {
  options_.attributesRequired = options_.attributesExcluded = 0;
  while (position < text_.size() && !IsBlank(text_[position])) {
    const char c = text_[position];
    if (c == '!' || c == '-') {
      const char next = At(position + 1);
      if (next == '\0' || IsBlank(next)) {
        ++position;
        break;
      }
      if (const std::uint16_t bit = AttributeBit(next)) {
        options_.attributesExcluded |= bit;
        position += 2;
        continue;
      }
      ++position;
      continue;
    }
    options_.attributesRequired |= AttributeBit(c);
    ++position;
  }
  return SkipBlanksAfterParameter(position);
}

std::size_t OptionReader::ReadArchiveName(std::size_t position, ArchiveWant& want,
                                          std::string_view fallback) {
  if (At(position) == ':') ++position;
  const std::size_t start = position;
  while (position < text_.size() && !IsBlank(text_[position])) ++position;
  want.wanted = true;
  // A name longer than the pattern buffer is cut; it could never name a
  // file within the 260-byte path the archive search composes anyway.
  want.pattern.Assign(position > start ? text_.substr(start, position - start) : fallback);
  return SkipBlanks(text_, position);
}

// /X alone: every kind whose members are read from headers; /X:* every kind;
// /X:KIND[=NAMES][,KIND[=NAMES]]... the kinds named, each with its own
// archive names (separated by ";") or the kind's. A kind that does not exist
// is an error on the command line and passed over in the default options.
std::size_t OptionReader::ReadArchiveKinds(std::size_t position) {
  if (At(position) == ':') ++position;
  const std::size_t start = position;
  while (position < text_.size() && !IsBlank(text_[position])) ++position;
  const std::string_view list = text_.substr(start, position - start);
  if (list.empty() || list == "*") {
    for (const ArchiveFormat& format : kArchiveFormats)
      if (!list.empty() || !format.wholeStream) WantKind(format, {});
    return SkipBlanks(text_, position);
  }
  for (std::size_t at = 0; at <= list.size();) {
    std::size_t end = list.find(',', at);
    if (end == std::string_view::npos) end = list.size();
    const std::string_view item = list.substr(at, end - at);
    at = end + 1;
    if (item.empty()) continue;
    const std::size_t equals = item.find('=');
    const std::string_view kind = item.substr(0, equals);
    const ArchiveFormat* format = ArchiveFormatNamed(kind);
    if (format != nullptr) {
      WantKind(*format,
               equals == std::string_view::npos ? std::string_view() : item.substr(equals + 1));
    } else if (OnCommandLine()) {
      WriteUnknownKindMessage(errors_, kind, options_.japanese);
      outcome_ = {CommandLineOutcome::kFail, 2};
      return text_.size();
    }
  }
  return SkipBlanks(text_, position);
}

// /K alone: the OEM code page, the one archivers on MS-DOS and Windows wrote
// names in; /K:N code page N, in decimal. A code page the system does not
// have is an error on the command line and passed over in the default
// options, as an unknown archive kind is.
std::size_t OptionReader::ReadCodePage(std::size_t position) {
  if (At(position) == ':') ++position;
  const std::size_t start = position;
  while (position < text_.size() && !IsBlank(text_[position])) ++position;
  const std::string_view given = text_.substr(start, position - start);
  std::uint32_t codePage = given.empty() ? facts_.oemCodePage : 0;
  for (char c : given) {
    if (!IsDigit(c) || codePage > 0xFFFF) {
      codePage = 0;
      break;
    }
    codePage = codePage * 10 + static_cast<std::uint32_t>(c - '0');
  }
  if (codePage == 0 || codePage > 0xFFFF ||
      (facts_.codePageExists && !facts_.codePageExists(codePage))) {
    if (OnCommandLine()) {
      const std::string named = given.empty() ? std::to_string(codePage) : std::string(given);
      WriteUnknownCodePageMessage(errors_, named, options_.japanese);
      outcome_ = {CommandLineOutcome::kFail, 2};
      return text_.size();
    }
    return SkipBlanksAfterParameter(position);
  }
  options_.memberCodePage = codePage;
  return SkipBlanksAfterParameter(position);
}

void OptionReader::WantKind(const ArchiveFormat& format, std::string_view names) {
  ArchiveWant& want = WantOf(options_, format);
  want.wanted = true;
  if (names.empty()) {
    want.pattern.Assign(format.everyNames.empty() ? format.archiveNames : format.everyNames);
    return;
  }
  // Kept apart by a character no name holds, so that /Z's single name may
  // still hold a ";".
  want.pattern.Assign(names);
  std::replace(want.pattern.data(), want.pattern.data() + want.pattern.size(), ';',
               kArchiveNameBreak);
}

std::size_t OptionReader::ReadSizeRange(std::size_t position) {
  if (At(position) == ':') ++position;
  const char first = At(position);
  if (OnCommandLine() && (first == '\0' || first == ' ')) {
    Fail(SizeParameterMissingMessage(options_.japanese));
    return text_.size();
  }
  if (first == '-') {
    position = ParseSize(text_, position + 1, options_.sizeHigh);
    options_.sizeMode = RangeMode::AtMost;
  } else {
    std::uint64_t low = 0;
    position = ParseSize(text_, position, low);
    if (At(position) == '-' && IsDigit(At(position + 1))) {
      std::uint64_t high = 0;
      position = ParseSize(text_, position + 1, high);
      options_.sizeLow = low;
      options_.sizeHigh = high;
      options_.sizeMode = RangeMode::Between;
      if (high == low) {
        options_.sizeValue = low;
        options_.sizeMode = RangeMode::Equal;
      }
    } else if (At(position) == '-') {
      ++position;
      options_.sizeLow = low;
      options_.sizeMode = RangeMode::AtLeast;
    } else {
      options_.sizeValue = low;
      options_.sizeMode = RangeMode::Equal;
    }
  }
  return SkipBlanksAfterParameter(position);
}

std::size_t OptionReader::ReadDateTimeRange(std::size_t position, bool time) {
  RangeMode& mode = time ? options_.timeMode : options_.dateMode;
  std::uint16_t& value = time ? options_.timeValue : options_.dateValue;
  std::uint16_t& low = time ? options_.timeLow : options_.dateLow;
  std::uint16_t& high = time ? options_.timeHigh : options_.dateHigh;
  const auto parse = time ? ParseTimeValue : ParseDateValue;
  const char relative = time ? 'N' : 'T';
  const ValueClock clock{options_.startTime, facts_.localTime};

  if (At(position) == ':') ++position;
  ValueError error = ValueError::kNone;
  if (At(position) == '-') {
    ++position;
    error = parse(text_, position, high, clock);
    if (error == ValueError::kNone) mode = RangeMode::AtMost;
  } else {
    error = parse(text_, position, low, clock);
    if (error == ValueError::kNone && At(position) == '-') {
      ++position;
      mode = RangeMode::AtLeast;
      const char next = At(position);
      if (IsDigit(next) || Upper(next) == relative) {
        error = parse(text_, position, high, clock);
        if (error == ValueError::kNone) {
          mode = high == low ? RangeMode::Equal : RangeMode::Between;
          if (mode == RangeMode::Equal) value = low;
        }
      }
    } else if (error == ValueError::kNone) {
      mode = RangeMode::Equal;
      value = low;
    }
  }
  if (error != ValueError::kNone) {
    errors_.Write(ValueErrorMessage(error, options_.japanese));
    if (OnCommandLine()) {
      outcome_ = {CommandLineOutcome::kFail, 2};
      return text_.size();
    }
    // The default options go on with the next word.
    return SkipWord(text_, position);
  }
  return SkipBlanksAfterParameter(position);
}

}  // namespace

bool IsHelpRequest(std::string_view text) {
  text = UpToZero(text);
  std::size_t position = SkipBlanks(text, 0);
  bool wordStart = position > 0;
  while (position < text.size()) {
    const char c = text[position];
    if (IsBlank(c)) {
      wordStart = true;
      ++position;
      continue;
    }
    if (c == '/' || (c == '-' && wordStart)) {
      const char next = At(text, position + 1);
      if (next == '?' || next == 'H' || next == 'h') return true;
      // The letter behind the switch starts no switch of its own.
      position += 2;
    } else {
      ++position;
    }
    wordStart = false;
  }
  return false;
}

CommandLineOutcome ParseCommandLine(std::string_view text, SearchOptions& options,
                                    const ParserFacts& facts, TextWriter& errors) {
  return OptionReader(UpToZero(text), options, facts, errors, Layer::kCommandLine)
      .ParseCommandLine();
}

void ParseDefaultOptions(std::string_view text, SearchOptions& options, const ParserFacts& facts,
                         TextWriter& errors) {
  OptionReader(UpToZero(text), options, facts, errors, Layer::kDefaults).ParseDefaults();
}

std::size_t SkipWord(std::string_view text, std::size_t position) {
  while (position < text.size() && !IsBlank(text[position])) ++position;
  return SkipBlanks(text, position);
}

bool ExtractCommandTemplate(std::string_view text, std::size_t& position, SearchOptions& options) {
  const char closing = At(text, position) == '{' ? '}' : ']';
  const std::size_t start = position + 1;
  const std::size_t end = std::min(text.find(closing, start), text.size());
  position = SkipBlanks(text, end < text.size() ? end + 1 : end);

  options.creationFlags = kNormalPriorityClass;
  const std::string_view body = text.substr(start, end - start);
  CommandText result;
  for (std::size_t i = 0; i < body.size();) {
    if (body[i] != '$') {
      result.Append(body[i++]);
      continue;
    }
    if (i + 1 == body.size()) {
      result.Append('$');
      break;
    }
    // The switches say how to run the command and are no part of it; every
    // other pair, placeholders included, stays for the expansion.
    switch (Upper(body[i + 1])) {
      case 'C':
        options.creationFlags = kNormalPriorityClass | kNewConsole;
        break;
      case 'I':
        options.noWait = true;
        break;
      case 'Q':
        options.queryBeforeRun = true;
        break;
      case 'S':
        options.shortNames = true;
        break;
      default:
        result.Append(body.substr(i, 2));
        break;
    }
    i += 2;
  }
  if (result.truncated() || Utf16Units(result.view()) >= kCommandSize) return false;
  options.commandTemplate = result;
  return true;
}

std::size_t ParseSize(std::string_view text, std::size_t position, std::uint64_t& value) {
  // The number is the run of digits, periods and commas; commas group
  // digits and are dropped, and a second period ends the number ("1.5.3"
  // reads 1.5). The whole part is read exactly, since a double would round
  // sizes above 2^53; only the fraction goes through floating point.
  constexpr std::uint64_t kLargest = ~std::uint64_t{0};
  std::uint64_t whole = 0;
  bool saturated = false;
  std::string fraction = "0.";
  int periods = 0;
  std::size_t end = position;
  for (; end < text.size(); ++end) {
    const char c = text[end];
    if (c == ',') continue;
    if (c == '.') {
      ++periods;
      continue;
    }
    if (!IsDigit(c)) break;
    if (periods == 0) {
      const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
      if (whole > (kLargest - digit) / 10) saturated = true;
      whole = saturated ? kLargest : whole * 10 + digit;
    } else if (periods == 1) {
      fraction.push_back(c);
    }
  }
  const std::size_t power = std::string_view("KMGT").find(Upper(At(text, end)));
  const std::uint64_t unit = power == std::string_view::npos ? 1 : 1ull << (10 * (power + 1));
  // The fraction's share is below one unit, so it cannot overflow by itself.
  const auto part = static_cast<std::uint64_t>(std::strtod(fraction.c_str(), nullptr) *
                                               static_cast<double>(unit));
  if (saturated || whole > (kLargest - part) / unit)
    value = kLargest;
  else
    value = whole * unit + part;

  while (end < text.size() && text[end] != '-' && !IsBlank(text[end])) ++end;
  return end;
}

std::string_view SizeParameterMissingMessage(bool japanese) {
  return japanese ? "S オプションのパラメータが指定されていません.\n"
                  : "S option's parameter is not specified.\n";
}

std::string_view FileNameTooLongMessage(bool japanese) {
  return japanese ? "ファイル名が長すぎます.\n" : "File name is too long.\n";
}

std::string_view CommandTemplateTooLongMessage(bool japanese) {
  return japanese ? "実行するコマンドラインが長すぎます.\n" : "Command line to run is too long.\n";
}

void WriteUnknownKindMessage(TextWriter& errors, std::string_view kind, bool japanese) {
  errors.Write(japanese ? "アーカイブの種類が正しくありません. : " : "Unknown archive kind. : ");
  errors.Write(kind);
  errors.Write("\n");
}

void WriteUnknownCodePageMessage(TextWriter& errors, std::string_view codePage, bool japanese) {
  errors.Write(japanese ? "コードページ " : "Code page ");
  errors.Write(codePage);
  errors.Write(japanese ? " はこのシステムでは使用できません.\n"
                        : " is not available on this system.\n");
}

void WriteInvalidOptionMessage(TextWriter& errors, std::string_view character, bool japanese) {
  errors.Write(japanese ? "オプションが正しくありません. : " : "Invalid option character. : ");
  // A "/" at the very end has no character behind it: the message names none.
  errors.Write(character);
  errors.Write("\n");
}
