// The program lookup along PATH (/E) and its name rules.
#pragma once

#include <cstddef>
#include <string_view>

struct ProgramName {
  bool hasDirectory = false;  // the name holds a backslash: look only there
  std::size_t nameStart = 0;  // where the name part begins (behind the last backslash)
  // Characters of the name part in front of its last "."; the "." is looked
  // for from the name part's second character on, so ".profile" has none.
  std::size_t stemLength = 0;
  // A "." with at least one character behind it: such a name is tried as it
  // is; any other gets .COM, .EXE and .BAT in place of what follows the stem.
  bool hasExtension = false;
};

// `isLeadByte` tells the lead bytes of double-byte characters in the ANSI
// code page, whose second byte may look like a backslash.
ProgramName AnalyzeProgramName(std::string_view name, bool (*isLeadByte)(unsigned char));

inline constexpr std::string_view kProgramExtensions[] = {".COM", ".EXE", ".BAT"};

// Calls `visit(element)` for each element of a PATH value in order; empty
// elements are passed over, the others are used as they stand.
template <typename Visit>
void ForEachPathElement(std::string_view path, Visit visit) {
  while (!path.empty()) {
    std::size_t end = path.find(';');
    std::string_view element = path.substr(0, end);
    if (!element.empty()) visit(element);
    if (end == std::string_view::npos) break;
    path.remove_prefix(end + 1);
  }
}

// Lists every .COM, .EXE and .BAT of the name in options.fileNameText, in the
// current directory and then along PATH.
void FindProgram();
