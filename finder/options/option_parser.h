// The option layers of TLVC: the help test, the parser of the command line
// and the parser of the default options (string 1 of the string table and the
// TLVC environment variable), with their helpers.
//
// All of them read UTF-8 text byte by byte: no byte of a character beyond
// ASCII equals a blank, quote, switch or bracket, so such characters pass
// through whole without being looked at. They write the same fields of
// SearchOptions, so parsing the three texts in order lets the last setting
// of a field win. Nothing here ends the process: errors are written to the
// given writer (the entry passes standard error) and reported in the result.
//
// Switch characters are "/" anywhere and "-" at the start of a word; "!" or
// "-" in the letter's place negates the letter behind it. Letters in either
// case.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/text_writer.h"
#include "finder/options/date_time_values.h"
#include "finder/records/search_options.h"

// Facts from outside that the parsers need besides the settings record. The
// record itself supplies `consoleCodePage` (for /J), `startTime` (relative
// dates and times) and `japanese` (the language of messages).
struct ParserFacts {
  LocalTimeFn localTime = StandardLocalTime;  // local calendar of relative values
  // The user reads Japanese: the interface language is Japanese or the ANSI
  // code page is 932. /J on a UTF-8 console (65001) takes effect only then.
  bool japaneseUser = false;
  // The system's OEM code page: what /K alone names.
  std::uint32_t oemCodePage = 0;
  // Whether the system has a code page /K names; null: every one from 1 to
  // 65535.
  bool (*codePageExists)(std::uint32_t codePage) = nullptr;
};

// True when the text asks for the usage: "/?", "/H" or "/h" anywhere, or
// "-?", "-H", "-h" at the start of a word. Sees the raw text: quoted names and
// templates are not set apart.
bool IsHelpRequest(std::string_view text);

// What the entry does after ParseCommandLine.
struct CommandLineOutcome {
  enum Kind : std::uint8_t {
    kContinue,   // go on with the run
    kShowUsage,  // "/?" or /H as an option: write the usage (language of options.japanese), end
                 // with status
    kFail,       // an error, already written to `errors`: end with status
  };
  Kind kind = kContinue;
  int status = 0;  // 0 with kShowUsage, 2 with kFail
};

// Parses the command line's argument text (what follows the program name).
// `text` is UTF-8 converted from the system's UTF-16 command line, and so
// well formed: the conversion makes an unpaired surrogate U+FFFD. Bytes that
// are not UTF-8 are still read safely, but the file name's length in units is
// then only counted from their lead bytes.
//
// Collects every non-option character, with the blanks between words, into
// options.fileNameText (trailing blanks included, for the entry to remove);
// reads options, quoted names and a command template in "[...]" or "{...}".
// Stops at the first error: writes its message to `errors` (in Japanese when
// options.japanese is set at that moment) and returns kFail with status 2:
//   an invalid option character, /S without parameter, a bad /D or /T value,
//   an archive kind or a /K code page that does not exist, a file name
//   longer than options.fileNameText holds, a command template longer than
//   options.commandTemplate holds.
CommandLineOutcome ParseCommandLine(std::string_view text, SearchOptions& options,
                                    const ParserFacts& facts, TextWriter& errors);

// Parses a default-option text (string 1, then the TLVC variable). Reads only
// words that begin with a switch character; skips everything else, unknown
// letters and help requests without a word. A bad /D or /T value writes its
// message to `errors` and parsing goes on; nothing else is reported (an
// unknown archive kind or /K code page is passed over).
void ParseDefaultOptions(std::string_view text, SearchOptions& options, const ParserFacts& facts,
                         TextWriter& errors);

// The position past the rest of the word at `position` and the blanks and
// tabs after it.
std::size_t SkipWord(std::string_view text, std::size_t position);

// Reads the command template whose opening "[" or "{" is at text[position],
// up to the matching "]" or "}" (or the end of the text). Removes the switches
// $C $I $Q $S (setting creationFlags 0x30, noWait, queryBeforeRun, shortNames;
// creationFlags is first set to 0x20) and stores the rest in
// options.commandTemplate. Moves `position` past the closing character and
// the blanks and tabs after it. Returns false, leaving commandTemplate as it
// was, when the template does not fit; the flags are set either way.
bool ExtractCommandTemplate(std::string_view text, std::size_t& position, SearchOptions& options);

// Reads one size at text[position]: digits with "," grouping and an optional
// fraction, then an optional K, M, G or T (powers of 1024, either case).
// Values above 2^64 - 1 become 2^64 - 1; no digits give 0. Returns the
// position of the next "-", blank, tab or end of text.
std::size_t ParseSize(std::string_view text, std::size_t position, std::uint64_t& value);

// Messages of the option parsers, whole, ending in "\n", in UTF-8. The
// invalid-option message takes the offending character(s).
std::string_view SizeParameterMissingMessage(bool japanese);
std::string_view FileNameTooLongMessage(bool japanese);
std::string_view CommandTemplateTooLongMessage(bool japanese);
void WriteInvalidOptionMessage(TextWriter& errors, std::string_view character, bool japanese);
// An archive kind /X names that does not exist, in the chosen language.
void WriteUnknownKindMessage(TextWriter& errors, std::string_view kind, bool japanese);
// A code page /K names that the system does not have (or no number), as
// given.
void WriteUnknownCodePageMessage(TextWriter& errors, std::string_view codePage, bool japanese);
