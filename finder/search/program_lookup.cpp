#include "finder/search/program_lookup.h"

#include "common/error_code.h"
#include "finder/records/run_context.h"
#include "finder/search/file_system.h"
#include "finder/search/search_path.h"
#include "finder/search/search_sink.h"

namespace {

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Upper(a[i]) != Upper(b[i])) return false;
  return true;
}

}  // namespace

ProgramName AnalyzeProgramName(std::string_view name) {
  ProgramName result;
  if (const std::size_t slash = name.rfind('\\'); slash != std::string_view::npos) {
    result.hasDirectory = true;
    result.nameStart = slash + 1;
  }
  const std::string_view part = name.substr(result.nameStart);
  std::size_t dot = part.rfind('.');
  if (dot == 0) dot = std::string_view::npos;
  result.stemLength = dot == std::string_view::npos ? part.size() : dot;
  result.hasExtension = dot != std::string_view::npos && dot + 1 < part.size();
  return result;
}

std::vector<std::string> ProgramExtensions(std::string_view pathExt) {
  std::vector<std::string> extensions;
  while (!pathExt.empty()) {
    const std::size_t end = pathExt.find(';');
    const std::string_view entry = pathExt.substr(0, end);
    const bool usable = !entry.empty() && entry.find_first_of("*?\\/\"") == std::string_view::npos;
    bool known = false;
    for (const std::string& extension : extensions) known = known || SameLetters(extension, entry);
    if (usable && !known) extensions.emplace_back(entry);
    if (end == std::string_view::npos) break;
    pathExt.remove_prefix(end + 1);
  }
  if (extensions.empty()) extensions = {".COM", ".EXE", ".BAT", ".CMD"};
  return extensions;
}

std::vector<std::string> PathDirectories(std::string_view path) {
  std::vector<std::string> directories;
  std::string element;
  bool quoted = false;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    const char c = i < path.size() ? path[i] : ';';
    if (c == '"') {
      quoted = !quoted;
    } else if (c == ';' && (!quoted || i == path.size())) {
      if (!element.empty()) directories.push_back(element);
      element.clear();
      quoted = false;
    } else {
      element.push_back(c);
    }
  }
  return directories;
}

namespace {

struct Lookup {
  RunContext& run;
  FileSystem& files;
  SearchSink& sink;
  const ProgramPlaces& places;
  std::vector<std::string> extensions = ProgramExtensions(places.pathExt);
  bool headerShown = false;

  // Writes `text` into searchPath at `position`; false when it does not fit.
  bool PutAt(std::size_t position, std::string_view text) {
    return WriteAtNamePosition(run.searchPath, kLongPathSize, position, {text});
  }

  void CheckCandidate(std::size_t namePosition) {
    if (run.stop.Stopped()) return;
    FileEntry entry;
    bool found = false;
    ListingStatus status = files.ListEach(run.searchPath, [&](const FileEntry& first) {
      entry = first;
      found = true;
      return false;
    });
    if (!found) {
      // A directory of PATH that cannot be read leaves its code as the status.
      return ReportListing(run.stop, sink.Errors(), JudgeListing(status, false), status.code);
    }
    if (entry.attributes & kAttrDirectory) return;
    if (!sink.Selects(entry)) return;
    // Listing a hit writes the name as the file system spells it over the
    // one asked for; form 0 shows nothing for a path that cannot hold it.
    bool nameFits = PutAt(namePosition, entry.name);
    if (!run.options.noEcho && (run.options.form != 0 || nameFits))
      sink.Show(entry, namePosition, headerShown);
    CountAndRun(run, sink, entry, namePosition);
  }

  // Tries the candidates of the directory that stands in searchPath in
  // front of `namePosition`. The name is written afresh for each one.
  void TryCandidates(std::size_t namePosition, std::string_view name, const ProgramName& parts) {
    headerShown = false;
    if (parts.hasExtension) {
      if (PutAt(namePosition, name)) CheckCandidate(namePosition);
      return;
    }
    std::string_view stem = name.substr(0, parts.stemLength);
    for (std::string_view extension : extensions) {
      if (WriteAtNamePosition(run.searchPath, kLongPathSize, namePosition, {stem, extension}))
        CheckCandidate(namePosition);
    }
  }

  // The directory in searchPath, with a backslash behind it unless it ends
  // in one (a root, or a PATH entry written so); returns the position behind
  // that backslash, or 0 when it does not fit.
  std::size_t PutDirectory(std::string_view directory) {
    const bool separator = !directory.ends_with('\\');
    if (!WriteAtNamePosition(run.searchPath, kLongPathSize, 0, {directory, separator ? "\\" : ""}))
      return 0;
    return directory.size() + (separator ? 1 : 0);
  }
};

}  // namespace

void FindProgram(RunContext& run, FileSystem& files, SearchSink& sink,
                 const ProgramPlaces& places) {
  run.options.attributesRequired = 0;
  const CommandText fileName(run.options.fileNameText.view());
  ProgramName parts = AnalyzeProgramName(fileName.view());
  std::string_view name = fileName.view().substr(parts.nameStart);
  Lookup lookup{run, files, sink, places};

  if (parts.hasDirectory) {
    std::size_t namePosition = 0;
    if (files.FullPath(fileName.c_str(), run.searchPath, kLongPathSize, namePosition) != 0 ||
        namePosition == 0)
      return;
    lookup.TryCandidates(namePosition, name, parts);
    return;
  }

  if (!places.currentDirectory.empty()) {
    if (std::size_t namePosition = lookup.PutDirectory(places.currentDirectory))
      lookup.TryCandidates(namePosition, name, parts);
  }
  for (const std::string& directory : PathDirectories(places.path)) {
    if (std::size_t namePosition = lookup.PutDirectory(directory))
      lookup.TryCandidates(namePosition, name, parts);
  }
}
