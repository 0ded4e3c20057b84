// The option layers on arbitrary text: the default-option parser, the
// command-line parser, the help test, the template extraction and the size
// reader. Besides staying inside their buffers they must keep the promises
// of their header:
//   - the usage is only asked for by a switch followed by "?", "H" or "h"
//     (the help test may miss one that the parser reads, "x/C:C -/H": the
//     entry calls both);
//   - a command line that fails has written exactly one known message, one
//     that goes on has written nothing; the default options write only
//     date and time messages;
//   - text with no switch, quote or bracket becomes the file name as it is;
//   - a template read once is read again unchanged, with no switches left;
//   - a size ends at "-", a blank or the end of the text.
// Input: one byte of facts (bit 0: console code page 932, bit 1: Japanese
// messages), then the default-option text, a zero byte, and the command line.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/inside_text.h"
#include "finder/archive/utf8_name.h"
#include "finder/options/option_parser.h"

namespace {

bool Collect(void* context, const char* data, std::size_t size) {
  static_cast<std::string*>(context)->append(data, size);
  return true;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

bool HoldsHelpSwitch(std::string_view text) {
  for (std::size_t i = 0; i + 1 < text.size(); ++i)
    if ((text[i] == '/' || text[i] == '-') &&
        (text[i + 1] == '?' || text[i + 1] == 'H' || text[i + 1] == 'h'))
      return true;
  return false;
}

// `text` is made of the date and time messages, each whole, in one language.
bool OnlyValueMessages(std::string_view text) {
  while (!text.empty()) {
    bool found = false;
    for (auto error : {ValueError::kYear, ValueError::kInvalidDate, ValueError::kHour,
                       ValueError::kMinute, ValueError::kSecond})
      for (bool japanese : {false, true}) {
        std::string_view message = ValueErrorMessage(error, japanese);
        if (!found && text.substr(0, message.size()) == message) {
          text.remove_prefix(message.size());
          found = true;
        }
      }
    if (!found) return false;
  }
  return true;
}

bool IsOneFailureMessage(std::string_view text, bool japanese) {
  for (auto error : {ValueError::kYear, ValueError::kInvalidDate, ValueError::kHour,
                     ValueError::kMinute, ValueError::kSecond})
    if (text == ValueErrorMessage(error, japanese)) return true;
  if (text == SizeParameterMissingMessage(japanese) || text == FileNameTooLongMessage(japanese) ||
      text == CommandTemplateTooLongMessage(japanese))
    return true;
  std::string invalid, unknown;
  {
    TextWriter writer(Collect, &invalid, false);
    WriteInvalidOptionMessage(writer, "", japanese);
    TextWriter kinds(Collect, &unknown, false);
    WriteUnknownKindMessage(kinds, "", japanese);
  }
  // An archive kind /X names that does not exist: the name as typed.
  if (text.starts_with(std::string_view(unknown).substr(0, unknown.size() - 1)) &&
      text.ends_with('\n'))
    return true;
  // A code page /K names that the system lacks: the value as typed between
  // the message's two parts.
  std::string codePage;
  {
    TextWriter writer(Collect, &codePage, false);
    WriteUnknownCodePageMessage(writer, "\x01", japanese);
  }
  const std::size_t value = codePage.find('\x01');
  if (text.starts_with(std::string_view(codePage).substr(0, value)) &&
      text.ends_with(std::string_view(codePage).substr(value + 1)))
    return true;
  // The invalid-option message with the character it names: none at the end
  // of the text, else up to the four bytes of a UTF-8 sequence.
  std::string_view head = std::string_view(invalid).substr(0, invalid.size() - 1);
  return text.size() >= head.size() + 1 && text.size() <= head.size() + 5 &&
         text.substr(0, head.size()) == head && text.back() == '\n';
}

void CheckTemplate(std::string_view text) {
  std::size_t bracket = text.find_first_of("[{");
  if (bracket == std::string_view::npos) return;
  SearchOptions options;
  std::size_t position = bracket;
  if (!ExtractCommandTemplate(text, position, options)) return;
  if (position < bracket + 1 || position > text.size()) std::abort();
  // Parsing resumes behind the closing character and the blanks after it.
  const char closing = text[bracket] == '[' ? ']' : '}';
  if (position < text.size() &&
      (IsBlank(text[position]) || (!IsBlank(text[position - 1]) && text[position - 1] != closing)))
    std::abort();

  // Read again: the same text, no switch found (removing one never forms
  // another, as "$" pairs are read from the left).
  std::string again(1, text[bracket]);
  again += options.commandTemplate.view();
  SearchOptions second;
  std::size_t start = 0;
  if (!ExtractCommandTemplate(again, start, second)) std::abort();
  if (second.commandTemplate.view() != options.commandTemplate.view()) std::abort();
  if (second.creationFlags != 0x20 || second.noWait || second.queryBeforeRun || second.shortNames)
    std::abort();
}

void CheckSize(std::string_view text) {
  for (std::size_t position = 0; position <= text.size() && position < 8; ++position) {
    std::uint64_t value = 7;
    std::size_t end = ParseSize(text, position, value);
    if (end < position || end > text.size()) std::abort();
    if (end < text.size() && text[end] != '-' && !IsBlank(text[end])) std::abort();
    // A plain run of up to nineteen digits is its own value.
    std::size_t digits = position;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
    if (digits > position && digits - position <= 19 &&
        (digits == text.size() || IsBlank(text[digits]) || text[digits] == '-')) {
      std::uint64_t expected = 0;
      for (std::size_t i = position; i < digits; ++i) expected = expected * 10 + (text[i] - '0');
      if (value != expected) std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t facts = data[0];
  std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
  std::size_t zero = input.find('\0');
  std::string_view defaults = input.substr(0, zero);
  std::string_view commandLine =
      zero == std::string_view::npos ? std::string_view() : input.substr(zero + 1);
  commandLine = commandLine.substr(0, commandLine.find('\0'));

  ParserFacts parserFacts;
  parserFacts.localTime = UtcDateTime;
  SearchOptions options;
  options.consoleCodePage = facts & 1 ? 932 : 437;
  options.japanese = facts & 2;
  options.startTime = 1700000000;

  std::string defaultErrors;
  {
    TextWriter writer(Collect, &defaultErrors, false);
    ParseDefaultOptions(defaults, options, parserFacts, writer);
  }
  if (!OnlyValueMessages(defaultErrors)) std::abort();

  const bool japaneseBefore = options.japanese;
  std::string errors;
  CommandLineOutcome outcome;
  {
    TextWriter writer(Collect, &errors, false);
    outcome = ParseCommandLine(commandLine, options, parserFacts, writer);
  }
  switch (outcome.kind) {
    case CommandLineOutcome::kContinue:
      if (outcome.status != 0 || !errors.empty()) std::abort();
      break;
    case CommandLineOutcome::kShowUsage:
      if (outcome.status != 0 || !errors.empty()) std::abort();
      if (!HoldsHelpSwitch(commandLine)) std::abort();
      break;
    case CommandLineOutcome::kFail:
      if (outcome.status != 2) std::abort();
      // The language is the one in force when the error is met: the
      // defaults' or one the command line set before it.
      if (!IsOneFailureMessage(errors, options.japanese) &&
          !IsOneFailureMessage(errors, japaneseBefore))
        std::abort();
      break;
  }
  if (options.form < 0 || options.form > 2) std::abort();

  // Text without switches, quotes or brackets is the file name as typed,
  // from its first non-blank; blanks that do not fit are let go. The
  // program's command line is converted from UTF-16 and so well-formed
  // UTF-8, whose units this counts.
  if (commandLine.find_first_of("/-\"[{") == std::string_view::npos &&
      WellFormedUtf8(commandLine)) {
    std::string_view expected =
        commandLine.substr(std::min(commandLine.size(), commandLine.find_first_not_of(" \t")));
    // The name holds 519 UTF-16 units, however many bytes they take.
    std::string_view kept = expected.substr(0, BytesWithinUnits(expected, kCommandSize - 1));
    bool fits = expected.substr(kept.size()).find_first_not_of(" \t") == std::string_view::npos;
    if (fits != (outcome.kind == CommandLineOutcome::kContinue)) std::abort();
    if (fits && options.fileNameText.view() != kept) std::abort();
  }

  CheckTemplate(commandLine);
  CheckSize(commandLine);
  std::size_t skipped = SkipWord(commandLine, 0);
  if (skipped > commandLine.size()) std::abort();
  return 0;
}
