// The program lookup along PATH (/E) and its name rules.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct ProgramName {
  bool hasDirectory = false;  // the name holds a backslash: look only there
  std::size_t nameStart = 0;  // where the name part begins (behind the last backslash)
  // Characters of the name part in front of its last "."; the "." is looked
  // for from the name part's second character on, so ".profile" has none.
  std::size_t stemLength = 0;
  // A "." with at least one character behind it: such a name is tried as it
  // is; any other gets the PATHEXT extensions in place of what follows the stem.
  bool hasExtension = false;
};

ProgramName AnalyzeProgramName(std::string_view name);

// The extensions tried for a name without one: those of a PATHEXT value in
// its order, each once (letter case aside); ".COM;.EXE;.BAT;.CMD" when the
// value is empty or names none. An entry holding a wildcard or a path
// separator is passed over, as it could only name other files.
std::vector<std::string> ProgramExtensions(std::string_view pathExt);

// The directories of a PATH value in order. A ";" inside double quotes does
// not split and the quotes are dropped, as installers write entries such as
// "C:\Program Files\x"; elements that are empty then are passed over. Blanks
// are kept.
std::vector<std::string> PathDirectories(std::string_view path);

class FileSystem;
class SearchSink;
struct RunContext;

// What the lookup takes from the system, in UTF-8: the current directory
// (none when empty) and the PATH and PATHEXT values.
struct ProgramPlaces {
  std::string_view currentDirectory;
  std::string_view path;
  std::string_view pathExt;
};

// Lists every program of the name in options.fileNameText, with each of the
// PATHEXT extensions, in the current directory and then along PATH.
void FindProgram(RunContext& run, FileSystem& files, SearchSink& sink, const ProgramPlaces& places);

// The same on the real system's current directory and variables.
void FindProgram(RunContext& run, SearchSink& sink);
