// The default options as the configurator stores them, against the rules
// read plainly, and against the finder that reads them back: the stored text
// must be what the rules give, storing it again must change nothing, and
// where the rules drop nothing but words that the finder skips anyway (no
// negations, nothing left out for length), the finder must read the stored
// text exactly as it reads the text the user wrote (but for a date or time
// cut short at the end of the text, which reads as valid only with a blank
// behind it).
// Input: the value, up to a zero byte.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "common/text_writer.h"
#include "configurator/configuration_reader.h"
#include "finder/options/option_parser.h"

namespace {

bool Collect(void* context, const char* data, std::size_t size) {
  static_cast<std::string*>(context)->append(data, size);
  return true;
}

char Up(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

struct Reference {
  std::optional<std::string> stored;
  bool sameReading = true;  // only words the finder skips anyway were dropped
};

Reference Normalize(std::string_view value) {
  Reference r;
  std::string result;
  std::size_t at = 0;
  while (at < value.size()) {
    if (value[at] == ' ' || value[at] == '\t') {
      ++at;
      continue;
    }
    std::size_t end = std::min(value.find_first_of(" \t", at), value.size());
    std::string_view word = value.substr(at, end - at);
    at = end;
    if (word[0] != '/' && word[0] != '-') continue;
    char letter = Up(word.size() > 1 ? word[1] : '\0');
    if (letter == '!' || letter == '-') {
      r.sameReading = false;
      continue;
    }
    if (std::string_view("EJNOPUW").find(letter) != std::string_view::npos && letter != '\0')
      word = word.substr(0, 2);
    else if (std::string_view("ACDFKLMSTXZ").find(letter) == std::string_view::npos ||
             letter == '\0')
      return r;
    if (result.size() + (result.empty() ? 0 : 1) + word.size() > 79) {
      r.sameReading = false;
      continue;
    }
    if (!result.empty()) result += ' ';
    result += word;
  }
  // A date or time cut short by the end of its word ("/D99/1/", also behind
  // a size: "/S1-/D//") reads as valid only when a blank follows it: storing
  // it last in the text changes that.
  if (!result.empty() && (result.back() == '/' || result.back() == ':')) r.sameReading = false;
  r.stored = result;
  return r;
}

SearchOptions Read(std::string_view text) {
  SearchOptions options;
  options.consoleCodePage = 932;
  options.startTime = 1700000000;
  ParserFacts facts;
  facts.localTime = UtcDateTime;
  std::string errors;
  TextWriter writer(Collect, &errors, false);
  ParseDefaultOptions(text, options, facts, writer);
  return options;
}

bool SameReading(const SearchOptions& a, const SearchOptions& b) {
  for (std::size_t i = 0; i < kArchiveKindLimit; ++i)
    if (a.archives[i].wanted != b.archives[i].wanted ||
        a.archives[i].pattern.view() != b.archives[i].pattern.view())
      return false;
  return a.findExecutable == b.findExecutable && a.japanese == b.japanese && a.noEcho == b.noEcho &&
         a.searchOrdinary == b.searchOrdinary && a.pausePerScreen == b.pausePerScreen &&
         a.searchSubdirectories == b.searchSubdirectories &&
         a.wholeMemberPaths == b.wholeMemberPaths && a.attributesRequired == b.attributesRequired &&
         a.attributesExcluded == b.attributesExcluded && a.dateMode == b.dateMode &&
         a.dateValue == b.dateValue && a.dateLow == b.dateLow && a.dateHigh == b.dateHigh &&
         a.timeMode == b.timeMode && a.timeValue == b.timeValue && a.timeLow == b.timeLow &&
         a.timeHigh == b.timeHigh && a.sizeMode == b.sizeMode && a.sizeValue == b.sizeValue &&
         a.sizeLow == b.sizeLow && a.sizeHigh == b.sizeHigh && a.form == b.form &&
         a.innerArchiveLevels == b.innerArchiveLevels && a.memberCodePage == b.memberCodePage;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view value(reinterpret_cast<const char*>(data), size);
  value = value.substr(0, value.find('\0'));
  std::string errors;
  std::optional<std::string> stored;
  {
    TextWriter writer(Collect, &errors, false);
    stored = NormalizeDefaultOptions(value, writer);
  }
  Reference expected = Normalize(value);
  if (stored != expected.stored) std::abort();
  if (!stored) {
    if (errors.rfind("Invalid option character. : ", 0) != 0) std::abort();
    return 0;
  }
  if (!errors.empty() || stored->size() > 79) std::abort();

  std::string again;
  {
    TextWriter writer(Collect, &again, false);
    if (NormalizeDefaultOptions(*stored, writer) != stored) std::abort();
  }
  if (expected.sameReading && !SameReading(Read(value), Read(*stored))) std::abort();
  return 0;
}
