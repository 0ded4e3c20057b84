#include "finder/search/program_lookup.h"

namespace {

// Calls `visit(index)` for every single-byte character and every first byte
// of a double-byte one.
template <typename Visit>
void ForEachCharacter(std::string_view text, bool (*isLeadByte)(unsigned char), Visit visit) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    visit(i);
    if (isLeadByte && isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ++i;
  }
}

}  // namespace

ProgramName AnalyzeProgramName(std::string_view name, bool (*isLeadByte)(unsigned char)) {
  ProgramName result;
  ForEachCharacter(name, isLeadByte, [&](std::size_t i) {
    if (name[i] == '\\') {
      result.hasDirectory = true;
      result.nameStart = i + 1;
    }
  });
  std::string_view part = name.substr(result.nameStart);
  std::size_t dot = std::string_view::npos;
  ForEachCharacter(part, isLeadByte, [&](std::size_t i) {
    if (part[i] == '.' && i >= 1) dot = i;
  });
  result.stemLength = dot == std::string_view::npos ? part.size() : dot;
  result.hasExtension = dot != std::string_view::npos && dot + 1 < part.size();
  return result;
}
