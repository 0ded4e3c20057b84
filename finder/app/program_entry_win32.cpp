// TLVC: the entry of the file finder and the spine of a run.
//
// Where things live, bottom up (an include runs downwards only; the order is
// stated in CMakeLists.txt):
//   common           text, bounded buffers, the writer, the standard streams
//   finder/records   the settings, FileEntry, the calendar, the criteria and
//                    the run's context (RunContext)
//   finder/archive   byte sources, the table of archive kinds, the readers
//   finder/listing   listing and member lines, messages, command templates,
//                    paging rows
//   finder/search    the walk, the archive driver, the PATH lookup
//   finder/options   the option parsers, the usage text, SettleOptions
//   finder/app       this entry and the sinks bound to the real streams
//
// A run reads its settings in three layers (string 1 of the string table, the
// TLVC variable, the command line), makes the file name a full path split
// into directory and pattern, searches, and ends with the not-found message
// or the summary. Every end of the run goes through EndRun, which flushes the
// buffered streams first; a run that stopped early (run.stop: its
// output gone, an error, Cancel at a query) ends there without a summary.
// The run's state is one RunContext made here and passed down.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string_view>

#include "common/error_code.h"
#include "common/standard_streams.h"
#include "common/wide_text_win32.h"
#include "finder/app/console_paging.h"
#include "finder/app/search_sink_win32.h"
#include "finder/app/summary_line.h"
#include "finder/listing/message_loader.h"
#include "finder/listing/run_messages.h"
#include "finder/options/option_parser.h"
#include "finder/options/settled_options.h"
#include "finder/options/usage_text.h"
#include "finder/records/run_context.h"
#include "finder/search/directory_walk.h"
#include "finder/search/file_system_win32.h"
#include "finder/search/program_lookup.h"
#include "finder/search/search_path.h"

namespace {

[[noreturn]] void EndRun(int status) {
  std::exit(EndStandardStreams(status));
}

void EndRunIfStopped(const RunContext& run) {
  if (run.stop.Stopped()) EndRun(run.stop.status());
}

void ShowUsage(const SearchOptions& options) {
  StdErr().Write(UsageText(options.japanese));
}

// The argument text: the command line behind the program name, which the
// C runtime takes up to the next quote when it starts with one, else up to
// the first blank or tab.
std::string_view ArgumentText(std::string_view commandLine) {
  std::size_t end =
      commandLine.starts_with('"') ? commandLine.find('"', 1) : commandLine.find_first_of(" \t");
  if (end == std::string_view::npos) return {};
  return commandLine.substr(commandLine[0] == '"' ? end + 1 : end);
}

bool IsBlankOrTab(char c) {
  return c == ' ' || c == '\t';
}

// Trailing blanks and tabs come from the blanks between words that the
// parser keeps; the first character stays whatever it is.
void TrimFileNameText(CommandText& text) {
  std::size_t length = text.size();
  while (length > 1 && IsBlankOrTab(text[length - 1])) --length;
  text.Resize(length);
}

void ReadDefaultOptions(SearchOptions& options, const ParserFacts& facts) {
  // A value of kDefaultOptionSize units in UTF-8.
  char text[3 * kDefaultOptionSize];
  int loaded = LoadStringId(msg::kDefaultOption, text, sizeof text);
  if (loaded > 0) ParseDefaultOptions(std::string_view(text, loaded), options, facts, StdErr());

  // A value that does not fit the buffer is ignored as a whole rather than
  // read in part.
  wchar_t wide[kDefaultOptionSize];
  DWORD units = GetEnvironmentVariableW(L"TLVC", wide, kDefaultOptionSize);
  if (units == 0 || units >= kDefaultOptionSize) return;
  long length = TextFromWide(kInsideCodePage, {wide, units}, text, sizeof text);
  if (length > 0) ParseDefaultOptions(std::string_view(text, length), options, facts, StdErr());
}

// The command line as text inside the program. The platform's command line
// holds 32,767 units, and UTF-8 takes at most three bytes for one;
// a line that cannot be converted is read as empty. The conversion makes an
// unpaired surrogate U+FFFD (Windows and Wine alike), so the parser always
// sees well-formed UTF-8.
const char* ConvertedCommandLine() {
  static char text[3 * 32768];
  if (TextFromWide(kInsideCodePage, GetCommandLineW(), text, sizeof text) < 0) text[0] = '\0';
  return text;
}

void LoadQueryPrompt(SearchOptions& options) {
  MessageBuffer prompt;
  LoadMessage(msg::kJapaneseQuery, options.japanese, prompt);
  options.queryPrompt.Assign(prompt.view());
  // The prompt is rewritten in place on the console, so it ends in a
  // carriage return instead of a line feed.
  options.queryPrompt.Append('\r');
}

bool StandardOutputIsConsole() {
  return GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) == FILE_TYPE_CHAR;
}

// A console screen, as the standard streams tell one apart: the NUL device
// is a character device too, but a pause prompt written there is read by
// nobody.
bool StandardOutputIsConsoleScreen() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != FALSE;
}

bool CodePageExists(std::uint32_t codePage) {
  return IsValidCodePage(codePage) != FALSE;
}

bool IsJapaneseUser() {
  return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE || GetACP() == 932;
}

// The full path of the file name in run.searchPath, split into the
// directory and the pattern.
void FormSearchPath(RunContext& run) {
  const SearchOptions& options = run.options;
  char* path = run.searchPath;
  std::size_t namePosition = 0;
  if (std::uint32_t code = SystemFileSystem().FullPath(options.fileNameText.c_str(), path,
                                                       kLongPathSize, namePosition)) {
    WriteErrorCode(StdErr(), code);
    EndRun(1);
  }

  PathSplit split = SplitSearchPath(path);
  if (!split.namesShare) {
    StdErr().Write(ShareNotSpecifiedMessage(options.japanese));
    EndRun(2);
  }
  run.topNamePosition = split.namePosition;

  std::string_view pattern(path + split.namePosition);
  // No name is that long: the pattern could only be cut. Member names stored
  // as bytes of the ANSI code page are matched against the pattern as the
  // system converts it there (best fit included).
  auto* wide = reinterpret_cast<wchar_t*>(run.pattern.wide);
  long units = WideFromText(CP_UTF8, pattern, wide, kPathSize);
  if (units < 0 || TextFromWide(CP_ACP, {wide, static_cast<std::size_t>(units)}, run.pattern.ansi,
                                kNameSize) < 0) {
    StdErr().Printf("Error Code : %d\n", static_cast<int>(ERROR_FILENAME_EXCED_RANGE));
    EndRun(1);
  }
  pattern.copy(run.pattern.text, pattern.size());
  run.pattern.text[pattern.size()] = '\0';
}

// Ends the run: the not-found message, or the summary of forms 1 and 2, and
// the finish message over the wait message when the listing went elsewhere.
[[noreturn]] void FinishRun(RunContext& run) {
  SearchOptions& options = run.options;
  // A subdirectory that could not be read, or a command that could not
  // start, leaves its error code as the status.
  int skippedError = run.stop.firstNoted();
  if (run.totals.count == 0) {
    MessageBuffer notFound;
    LoadMessage(msg::kJapaneseNotFound, options.japanese, notFound);
    StdOut().Write(notFound.view());
    StdOut().Put('\n');
    if (!run.stdoutIsConsole) PrintFinishMessage(options);
    EndRun(skippedError != 0 ? skippedError : 1);
  }
  if (options.form != 0) PrintSummaryLine(run);
  if (!run.stdoutIsConsole) PrintFinishMessage(options);
  EndRun(skippedError);
}

}  // namespace

int main() {
  // Its buffers take some 300 KB: more than a frame should.
  auto context = std::make_unique<RunContext>();
  RunContext& run = *context;
  SearchOptions& options = run.options;
  run.stop.Watch(StdOut());
  options.startTime = static_cast<std::int64_t>(std::time(nullptr));
  options.consoleCodePage = GetConsoleCP();
  // Archive member names stored as bytes keep them in this code page.
  options.ansiCodePage = GetACP();
  ParserFacts facts;
  facts.japaneseUser = IsJapaneseUser();
  facts.oemCodePage = GetOEMCP();
  facts.codePageExists = CodePageExists;

  ReadDefaultOptions(options, facts);
  std::string_view arguments = ArgumentText(ConvertedCommandLine());
  options.fileNameText.Clear();

  // Before the command line is parsed: the usage speaks the language that
  // the default options chose.
  if (IsHelpRequest(arguments)) {
    ShowUsage(options);
    EndRun(0);
  }
  CommandLineOutcome outcome = ParseCommandLine(arguments, options, facts, StdErr());
  if (outcome.kind == CommandLineOutcome::kShowUsage) ShowUsage(options);
  if (outcome.kind != CommandLineOutcome::kContinue) EndRun(outcome.status);
  if (options.fileNameText.empty()) {
    ShowUsage(options);
    EndRun(0);
  }

  if (std::string_view refusal = SettleOptions(options, StandardOutputIsConsoleScreen());
      !refusal.empty()) {
    StdErr().Write(refusal);
    EndRun(2);
  }
  if (options.pausePerScreen) {
    MessageBuffer prompt;
    LoadMessage(msg::kJapanesePause, options.japanese, prompt);
    options.pausePrompt.Assign(prompt.view());
  }

  run.stdoutIsConsole = StandardOutputIsConsole();
  if (!run.stdoutIsConsole) {
    MessageBuffer wait;
    if (LoadMessage(msg::kJapaneseWait, options.japanese, wait) > 0) {
      options.statusText.Assign(wait.view());
      // The carriage return keeps the cursor on this line, so that the
      // finish message overwrites it.
      StdErr().Printf("%s\r", options.statusText.c_str());
    }
  }
  if (options.pausePerScreen) {
    // Only pausing needs the console's height, so only /P asks for it (the
    // console device is not opened for nothing). SettleOptions left /P on
    // only for a console; if it cannot be read after all, the run ends.
    int status = QueryConsoleSize(options);
    if (status != 0) {
      WriteErrorCode(StdErr(), static_cast<unsigned long>(status));
      EndRun(status);
    }
  }
  TrimFileNameText(options.fileNameText);

  if (options.findExecutable) {
    // The lookup runs the command for each program it finds, so it needs
    // the query prompt as the search would.
    if (options.runCommand && options.queryBeforeRun) LoadQueryPrompt(options);
    ProgramSearchSink sink(run);
    FindProgram(run, sink);
    EndRunIfStopped(run);
    FinishRun(run);
  }

  FormSearchPath(run);
  if ((options.runCommand || options.runCommandOnMembers) && options.queryBeforeRun)
    LoadQueryPrompt(options);

  ProgramSearchSink sink(run);
  SearchDirectory(run, SystemFileSystem(), sink, run.topNamePosition, true);
  EndRunIfStopped(run);
  FinishRun(run);
}
