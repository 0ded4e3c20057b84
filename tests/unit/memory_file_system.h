// A tree held in memory behind the search's FileSystem, and a sink that
// records what the search hands on: the walk, the archive driver and the PATH
// lookup tested without a disk.
#pragma once

#include <cctype>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/text_writer.h"
#include "finder/archive/byte_source.h"
#include "finder/records/run_context.h"
#include "finder/search/file_system.h"
#include "finder/search/search_sink.h"

namespace memory_fs {

inline std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// "*" and "?" without regard to case, as far as these tests need the
// system's matching.
inline bool Matches(std::string_view pattern, std::string_view name) {
  if (pattern.empty()) return name.empty();
  if (pattern[0] == '*')
    return Matches(pattern.substr(1), name) || (!name.empty() && Matches(pattern, name.substr(1)));
  return !name.empty() &&
         (pattern[0] == '?' || std::toupper(pattern[0]) == std::toupper(name[0])) &&
         Matches(pattern.substr(1), name.substr(1));
}

// Entries under full paths (C:\T\A.TXT), listed in the order they were added,
// "." and ".." first below a drive root. Fail(directory, code, opened) makes
// a directory's listing fail when opened, or after its first entry.
class MemoryFileSystem final : public FileSystem {
 public:
  void Add(const std::string& path, bool directory = false, std::string content = "") {
    std::string key = Upper(path);
    std::size_t slash = key.rfind('\\');
    children[key.substr(0, slash)].push_back(key);
    if (directory) children[key];
    FileEntry& entry = nodes[key].first;
    entry.attributes = directory ? kAttrDirectory : kAttrArchive;
    entry.size = content.size();
    path.substr(slash + 1).copy(entry.name, sizeof entry.name - 1);
    nodes[key].second = content;
  }
  void Fail(const std::string& directory, std::uint32_t code, bool opened) {
    failures[Upper(directory)] = {code, opened};
  }

  ListingStatus List(const char* pattern, Visit visit, void* context) override {
    // The caller rewrites its buffer while the listing runs, as the walk does.
    const std::string text = pattern;
    std::size_t slash = text.rfind('\\');
    std::string directory = Upper(text.substr(0, slash));
    ListingStatus failure = failures.count(directory) ? failures[directory] : ListingStatus{};
    if (failure.code && !failure.opened) return failure;
    if (!children.count(directory)) return {kErrorPathNotFound, false};
    std::vector<FileEntry> entries(directory.size() > 2 ? 2 : 0);
    for (std::size_t i = 0; i < entries.size(); ++i) {
      entries[i].attributes = kAttrDirectory;
      std::strcpy(entries[i].name, i == 0 ? "." : "..");
    }
    for (const std::string& key : children[directory]) entries.push_back(nodes[key].first);
    bool any = false;
    for (const FileEntry& entry : entries) {
      if (!Matches(text.substr(slash + 1), entry.name)) continue;
      if (any && failure.code) return failure;
      any = true;
      if (!visit(context, entry)) break;
    }
    return {any ? 0u : kErrorFileNotFound, any};
  }

  bool Open(const char* path, Use use, void* context) override {
    auto found = nodes.find(Upper(path));
    if (found == nodes.end() || (found->second.first.attributes & kAttrDirectory)) return false;
    MemoryByteSource source(found->second.second.data(), found->second.second.size());
    use(context, source);
    return true;
  }

  std::size_t ShortPath(const char*, char*, std::size_t) override { return 0; }
  bool Identity(const char*, DirectoryIdentity&) override { return false; }

  // Relative paths are taken from C:\.
  std::uint32_t FullPath(const char* path, char* out, std::size_t size,
                         std::size_t& namePosition) override {
    std::string full = path[0] != '\0' && path[1] == ':' ? path : std::string("C:\\") + path;
    if (full.size() >= size) return kErrorNameTooLong;
    std::strcpy(out, full.c_str());
    namePosition = full.rfind('\\') + 1;
    return 0;
  }

 private:
  std::map<std::string, std::pair<FileEntry, std::string>> nodes;
  std::map<std::string, std::vector<std::string>> children;
  std::map<std::string, ListingStatus> failures;
};

// One line per call: "PATH" in form 0, else "header DIR" and "show
// DIR|NAME"; "run DIR|NAME", "archive FORMAT BYTES", and each "Error Code"
// line as written. The criteria refuse names that start with "x".
struct RecordingSearchSink final : SearchSink {
  explicit RecordingSearchSink(RunContext& run) : run(run) {}
  RunContext& run;
  std::vector<std::string> lines;
  std::string At(std::size_t namePosition) const {
    return std::string(run.searchPath, namePosition);
  }
  bool Selects(const FileEntry& entry) override { return entry.name[0] != 'x'; }
  void Show(const FileEntry& entry, std::size_t namePosition, bool& headerShown) override {
    if (run.options.form == 0) return lines.push_back(At(std::strlen(run.searchPath)));
    if (!headerShown) lines.push_back("header " + At(namePosition));
    headerShown = true;
    lines.push_back("show " + At(namePosition) + "|" + entry.name);
  }
  void RunCommand(const FileEntry& entry, std::size_t namePosition) override {
    lines.push_back("run " + At(namePosition) + "|" + entry.name);
  }
  void ListArchive(const ArchiveFormat& format, ByteSource& archive) override {
    char bytes[64];
    std::size_t got = archive.Read(bytes, sizeof bytes);
    lines.push_back("archive " + std::string(format.name) + " " + std::string(bytes, got));
  }
  TextWriter& Errors() override { return errors; }

 private:
  static bool Record(void* context, const char* data, std::size_t size) {
    static_cast<RecordingSearchSink*>(context)->lines.emplace_back(data, size);
    return true;
  }
  // Following another writer flushes each line as it is written.
  TextWriter before{Record, this, false};
  TextWriter errors{Record, this, false, &before};
};

// A run's context, too large for a test's frame.
inline std::unique_ptr<RunContext> NewRun() {
  return std::make_unique<RunContext>();
}

}  // namespace memory_fs
