// The program lookup along PATH (/E): the name with every PATHEXT extension,
// in the current directory first and then in each PATH element in order.
#include <windows.h>

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "common/error_code.h"
#include "common/standard_streams.h"
#include "finder/search/command_runner.h"
#include "finder/search/console_paging.h"
#include "finder/search/entry_filter.h"
#include "finder/search/file_entry_win32.h"
#include "finder/search/listing_output.h"
#include "finder/search/program_lookup.h"
#include "finder/search/search_state.h"

namespace {

bool headerPrinted = false;

bool IsAnsiLeadByte(unsigned char c) {
  return IsDBCSLeadByte(c) != FALSE;
}

// Writes `text` into searchPath at `position`; false when it does not fit.
bool PutAt(std::size_t position, std::string_view text) {
  if (position > kPathSize - 1 || text.size() > kPathSize - 1 - position) return false;
  std::memcpy(searchState.searchPath + position, text.data(), text.size());
  searchState.searchPath[position + text.size()] = '\0';
  return true;
}

void CheckProgramCandidate(std::size_t namePosition) {
  SearchState& state = searchState;
  const SearchOptions& options = state.options;
  if (state.stop.Stopped()) return;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(state.searchPath, &found);
  if (search == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
      WriteErrorCode(StdErr(), error);
    return;
  }
  FindClose(search);
  FileEntry entry = ToFileEntry(found);
  if (entry.attributes & kAttrDirectory) return;
  if (!MatchesCriteria(entry)) return;

  if (!options.noEcho) {
    if (options.form == 0) {
      if (PutAt(namePosition, entry.name)) {
        if (options.pausePerScreen)
          WritePagedLine(state.searchPath);
        else
          StdOut().Printf("%s\n", state.searchPath);
      }
    } else {
      if (!headerPrinted) PrintDirectoryHeader(namePosition);
      headerPrinted = true;
      if (options.form == 1)
        PrintEntryForm1(entry);
      else
        PrintEntryForm2(entry);
    }
  }
  if (options.form != 0) state.totals.bytes += entry.size;
  ++state.totals.count;
  if (options.runCommand) {
    state.searchPath[namePosition] = '\0';
    RunCommandForFile(entry, namePosition);
  }
}

// Tries the candidates of the directory that stands in searchPath in front of
// `namePosition`. The name is written afresh for each one: listing a hit
// writes the name as the file system spells it over the one asked for.
void TryCandidates(std::size_t namePosition, std::string_view name, const ProgramName& parts,
                   const std::vector<std::string>& extensions) {
  headerPrinted = false;
  if (parts.hasExtension) {
    if (PutAt(namePosition, name)) CheckProgramCandidate(namePosition);
    return;
  }
  std::string_view stem = name.substr(0, parts.stemLength);
  for (std::string_view extension : extensions) {
    PathText candidate(stem);
    if (candidate.Append(extension) && !candidate.truncated() &&
        PutAt(namePosition, candidate.view()))
      CheckProgramCandidate(namePosition);
  }
}

// The directory in searchPath, with a backslash behind it unless it ends in
// one (a root, or a PATH entry written so); returns the position behind that
// backslash, or 0 when it does not fit.
std::size_t PutDirectory(std::string_view directory) {
  const bool separator = !EndsWithBackslash(directory, IsAnsiLeadByte);
  if (!PutAt(0, directory) || (separator && !PutAt(directory.size(), "\\"))) return 0;
  return directory.size() + (separator ? 1 : 0);
}

// A variable's value, or an empty text when it is unset or cannot be read.
std::string EnvironmentValue(const char* name) {
  DWORD size = GetEnvironmentVariableA(name, nullptr, 0);
  if (size == 0) return {};
  std::string value(size, '\0');
  DWORD read = GetEnvironmentVariableA(name, value.data(), size);
  value.resize(read != 0 && read < size ? read : 0);
  return value;
}

}  // namespace

void FindProgram() {
  SearchState& state = searchState;
  state.options.attributesRequired = 0;
  const CommandText fileName(state.options.fileNameText.view());
  ProgramName parts = AnalyzeProgramName(fileName.view(), IsAnsiLeadByte);
  std::string_view name = fileName.view().substr(parts.nameStart);
  const std::vector<std::string> extensions = ProgramExtensions(EnvironmentValue("PATHEXT"));

  if (parts.hasDirectory) {
    char* namePart = nullptr;
    DWORD length = GetFullPathNameA(fileName.c_str(), kPathSize, state.searchPath, &namePart);
    if (length == 0 || length >= kPathSize || namePart == nullptr) return;
    TryCandidates(static_cast<std::size_t>(namePart - state.searchPath), name, parts, extensions);
    return;
  }

  char current[kPathSize];
  DWORD length = GetCurrentDirectoryA(kPathSize, current);
  if (length != 0 && length < kPathSize) {
    if (std::size_t namePosition = PutDirectory(std::string_view(current, length)))
      TryCandidates(namePosition, name, parts, extensions);
  }

  for (const std::string& directory : PathDirectories(EnvironmentValue("PATH"))) {
    if (std::size_t namePosition = PutDirectory(directory))
      TryCandidates(namePosition, name, parts, extensions);
  }
}
