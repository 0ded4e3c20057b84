// Running the user's command for each entry found: echo, query, child process.
#include <windows.h>

#include <cstring>

#include "common/standard_streams.h"
#include "finder/messages/command_template.h"
#include "finder/search/command_query.h"
#include "finder/search/command_runner.h"
#include "finder/search/console_paging.h"
#include "finder/search/file_system_win32.h"
#include "finder/search/search_state.h"

namespace {

void ShortPathOf(std::string_view longPath, PathText& shortPath) {
  PathText source(longPath);
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
bool ConfirmRun() {
  TextWriter& err = StdErr();
  err.Write(searchState.options.queryPrompt.view());
  for (;;) {
    FlushStandardStreams();
    if (searchState.stop.Stopped()) return false;
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
        searchState.stop.Request(0);
        return false;
      case QueryAnswer::Ignore:
        break;
    }
  }
}

void StartChild(const char* directory) {
  const SearchOptions& options = searchState.options;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  // CreateProcessA may write into the command line, so it gets a copy.
  CommandText commandLine(searchState.expandedCommand.view());
  FlushStandardStreams();
  // The listing's reader has gone: the run ends, and runs nothing more.
  if (searchState.stop.Stopped()) return;
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, options.creationFlags,
                      nullptr, directory, &startup, &process)) {
    // A built-in of the command interpreter (copy, del) or a misspelt program
    // cannot start; dropped quietly, the run would look like a success. The
    // search goes on, and the first such code is the exit status.
    searchState.stop.Note(StdErr(), GetLastError());
    return;
  }
  if (!options.noWait) WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

// Shows, asks and runs searchState.expandedCommand in the directory that
// ends at the backslash `backslash` of searchPath.
void RunCommandForEntry(std::size_t backslash) {
  char* path = searchState.searchPath;
  std::size_t cut = CommandDirectoryEnd(path, backslash);
  char saved = path[cut];
  path[cut] = '\0';

  if (searchState.options.pausePerScreen)
    WritePagedLine(searchState.expandedCommand.view(), true);
  else
    StdErr().Printf("%s\n", searchState.expandedCommand.c_str());
  if (!searchState.options.queryBeforeRun || ConfirmRun()) StartChild(path);

  path[cut] = saved;
}

// A command cut to fit its buffer could do something the user never wrote;
// it is not run, and the user learns which entry it was for.
void ReportTooLong(std::string_view entry) {
  if (searchState.options.japanese)
    StdErr().Write(
        "\x83\x52\x83\x7D\x83\x93\x83\x68\x83\x89\x83\x43\x83\x93\x82\xAA\x92\xB7\x82\xB7\x82\xAC"
        "\x82\xDC\x82\xB7 : ");
  else
    StdErr().Write("The command line is too long : ");
  StdErr().Write(entry);
  StdErr().Put('\n');
}

}  // namespace

void RunCommandForFile(const FileEntry& entry, std::size_t namePosition) {
  if (namePosition == 0) return;
  std::string_view directory(searchState.searchPath, namePosition);
  FileTemplateInput file{directory, entry.name, entry.shortName};
  if (!ExpandCommandTemplate(searchState.options.commandTemplate.view(), file,
                             searchState.options.shortNames, ShortPathOf,
                             searchState.expandedCommand)) {
    PathText name(directory);
    name.Append(entry.name);
    ReportTooLong(name.view());
    return;
  }
  RunCommandForEntry(namePosition - 1);
}

void RunCommandForMember(std::string_view memberName) {
  const char* path = searchState.searchPath;
  const char* backslash = std::strrchr(path, '\\');
  if (backslash == nullptr) return;
  if (!ExpandMemberTemplate(searchState.options.commandTemplate.view(), searchState.archivePath,
                            memberName, searchState.options.shortNames, ShortPathOf,
                            searchState.expandedCommand)) {
    BoundedText<kPathSize * 2> name(searchState.archivePath);
    name.Append(" : ");
    name.Append(memberName);
    ReportTooLong(name.view());
    return;
  }
  RunCommandForEntry(static_cast<std::size_t>(backslash - path));
}
