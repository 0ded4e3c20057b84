// Running the user's command for each entry found: echo, query, child process.
#include <windows.h>

#include <cstring>
#include <initializer_list>
#include <iterator>

#include "common/long_path.h"
#include "common/standard_streams.h"
#include "common/wide_text_win32.h"
#include "finder/app/command_runner.h"
#include "finder/app/console_paging.h"
#include "finder/listing/command_query.h"
#include "finder/listing/command_template.h"
#include "finder/records/run_context.h"
#include "finder/search/file_system_win32.h"

namespace {

void ShortPathOf(std::string_view longPath, LongPathText& shortPath) {
  LongPathText source(longPath);
  std::size_t length = source.truncated()
                           ? 0
                           : SystemFileSystem().ShortPath(source.c_str(), shortPath.data(),
                                                          shortPath.capacity() + 1);
  if (length == 0)
    shortPath.Assign(longPath);
  else
    shortPath.Recount();
}

// Asks whether to run the command; a Cancel answer stops the run.
bool ConfirmRun(RunContext& run) {
  TextWriter& err = StdErr();
  err.Write(run.options.queryPrompt.view());
  for (;;) {
    FlushStandardStreams();
    if (run.stop.Stopped()) return false;
    char key = ReadConsoleKey();
    if (key == 0) return false;
    switch (ClassifyQueryKey(key)) {
      case QueryAnswer::Run:
        err.Write(kEraseLine);
        return true;
      case QueryAnswer::Skip:
        err.Write(kEraseLine);
        return false;
      case QueryAnswer::Cancel:
        err.Write(kEraseLine);
        run.stop.Request(0);
        return false;
      case QueryAnswer::Ignore:
        break;
    }
  }
}

// The expanded command as CreateProcessW takes it, which may also write into
// it: converted once it is known to be run.
wchar_t commandLine[kCommandLineUnits];

// Converts the expanded command into commandLine; false when it is
// longer than the platform's command line.
bool ConvertCommand(const RunContext& run) {
  return WideFromText(kInsideCodePage, run.expandedCommand.view(), commandLine,
                      kCommandLineUnits) >= 0;
}

void StartChild(RunContext& run, const char* directory) {
  const SearchOptions& options = run.options;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  wchar_t wideDirectory[kCurrentDirectoryUnits + 1];
  FlushStandardStreams();
  // The listing's reader has gone: the run ends, and runs nothing more.
  if (run.stop.Stopped()) return;
  // The directory was measured before.
  if (WideFromText(kInsideCodePage, directory, wideDirectory, std::size(wideDirectory)) < 0) return;
  if (!CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, options.creationFlags, nullptr,
                      wideDirectory, &startup, &process)) {
    // A built-in of the command interpreter (copy, del) or a misspelt program
    // cannot start; dropped quietly, the run would look like a success. The
    // search goes on, and the first such code is the exit status.
    run.stop.Note(StdErr(), GetLastError());
    return;
  }
  if (!options.noWait) WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

// Shows, asks and runs the expanded command in the directory that
// ends at the backslash `backslash` of searchPath.
void RunCommandForEntry(RunContext& run, std::size_t backslash) {
  char* path = run.searchPath;
  std::size_t cut = CommandDirectoryEnd(path, backslash);
  char saved = path[cut];
  path[cut] = '\0';

  if (run.options.pausePerScreen)
    WritePagedLine(run.options, run.expandedCommand.view(), true);
  else
    StdErr().Printf("%s\n", run.expandedCommand.c_str());
  if (!run.options.queryBeforeRun || ConfirmRun(run)) StartChild(run, path);

  path[cut] = saved;
}

// A command cut to fit its buffer could do something the user never wrote;
// it is not run, and the user learns which entry it was for.
constexpr std::string_view kTooLong[] = {"The command line is too long : ",
                                         "コマンドラインが長すぎます : "};
// Started elsewhere, a command would act on other files than the entry's: a
// command whose directory cannot be the current directory is not run.
constexpr std::string_view kDirectoryTooLong[] = {
    "The directory is too long to run the command in : ",
    "コマンドを実行するディレクトリが長すぎます : "};

// Names the entry in its parts (a file's directory and name, or an archive's
// path, " : " and a member's name), each of which may be as long as a path.
void ReportEntry(bool japanese, const std::string_view (&message)[2],
                 std::initializer_list<std::string_view> entry) {
  StdErr().Write(message[japanese ? 1 : 0]);
  for (std::string_view part : entry) StdErr().Write(part);
  StdErr().Put('\n');
}

// Whether the directory ending at the backslash `backslash` of searchPath
// can be a child's current directory.
bool DirectoryCanBeCurrent(const RunContext& run, std::size_t backslash) {
  std::string_view path(run.searchPath);
  std::size_t cut = CommandDirectoryEnd(path, backslash);
  return WideLength(kInsideCodePage, path.substr(0, cut)) <
         static_cast<long>(kCurrentDirectoryUnits);
}

}  // namespace

void RunCommandForFile(RunContext& run, const FileEntry& entry, std::size_t namePosition) {
  if (namePosition == 0) return;
  std::string_view directory(run.searchPath, namePosition);
  bool directoryFits = DirectoryCanBeCurrent(run, namePosition - 1);
  FileTemplateInput file{directory, entry.name, entry.shortName};
  if (!directoryFits ||
      !ExpandCommandTemplate(run.options.commandTemplate.view(), file, run.options.shortNames,
                             ShortPathOf, run.expandedCommand) ||
      !ConvertCommand(run)) {
    ReportEntry(run.options.japanese, directoryFits ? kTooLong : kDirectoryTooLong,
                {directory, entry.name});
    return;
  }
  RunCommandForEntry(run, namePosition - 1);
}

void RunCommandForMember(RunContext& run, std::string_view memberName) {
  const char* path = run.searchPath;
  const char* backslash = std::strrchr(path, '\\');
  if (backslash == nullptr) return;
  bool directoryFits = DirectoryCanBeCurrent(run, static_cast<std::size_t>(backslash - path));
  if (!directoryFits ||
      !ExpandMemberTemplate(run.options.commandTemplate.view(), run.archivePath, memberName,
                            run.options.shortNames, ShortPathOf, run.expandedCommand) ||
      !ConvertCommand(run)) {
    ReportEntry(run.options.japanese, directoryFits ? kTooLong : kDirectoryTooLong,
                {run.archivePath, " : ", memberName});
    return;
  }
  RunCommandForEntry(run, static_cast<std::size_t>(backslash - path));
}
