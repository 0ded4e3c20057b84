// The walk and the archive driver over a tree in memory: order, forms,
// criteria, commands, archives, and what each failure of a listing does.
#include "finder/search/directory_walk.h"

#include <gtest/gtest.h>

#include "finder/archive/archive_format.h"
#include "tests/unit/memory_file_system.h"

namespace {

using Lines = std::vector<std::string>;

// C:\T holds a.txt, x.txt (refused by the criteria), sub\c.txt,
// sub\deep\d.txt, b.dat, an empty directory, e.zip, sub\dir.zip (a
// directory), and a file and a directory of 250-byte names (N), whose paths
// reach past the 260 bytes a path once had.
memory_fs::MemoryFileSystem Tree() {
  memory_fs::MemoryFileSystem files;
  std::string tooLong(250, 'N');
  for (const char* directory :
       {"C:\\T", "C:\\T\\sub", "C:\\T\\sub\\deep", "C:\\T\\empty", "C:\\T\\sub\\dir.zip"})
    files.Add(directory, true);
  for (const char* file : {"C:\\T\\a.txt", "C:\\T\\x.txt", "C:\\T\\sub\\c.txt",
                           "C:\\T\\sub\\deep\\d.txt", "C:\\T\\b.dat"})
    files.Add(file, false, "bb");
  files.Add("C:\\T\\e.zip", false, "PK");
  files.Add("C:\\T\\" + tooLong + ".txt");
  files.Add("C:\\T\\" + tooLong, true);
  files.Add("C:\\T\\" + tooLong + "\\z.txt");
  return files;
}

struct WalkRun {
  const char* pattern;
  int form;
  bool subdirectories, ordinary, zip, command;
  const char* zipNames = "*.ZIP";
};

// The status the run stops with, or -1 when it goes on.
int Walk(memory_fs::MemoryFileSystem& files, memory_fs::RecordingSearchSink& sink, WalkRun run) {
  RunContext& context = sink.run;
  SearchOptions& options = context.options;
  options.form = run.form;
  options.searchSubdirectories = run.subdirectories;
  options.searchOrdinary = run.ordinary;
  WantOf(options, *ArchiveFormatNamed("ZIP")).wanted = run.zip;
  options.runCommand = run.command;
  WantOf(options, *ArchiveFormatNamed("ZIP")).pattern.Assign(run.zipNames);
  std::snprintf(context.searchPath, kPathSize, "C:\\T\\%s", run.pattern);
  std::snprintf(context.pattern.text, kPathSize, "%s", run.pattern);
  context.topNamePosition = 5;
  SearchDirectory(context, files, sink, 5, true);
  return context.stop.Stopped() ? context.stop.status() : -1;
}

TEST(DirectoryWalk, FindsInTheSystemsOrderDepthFirst) {
  const std::string n(250, 'N');
  struct Row {
    WalkRun run;
    Lines lines;
    std::uint32_t count, bytes;
  } rows[] = {
      {{"*.TXT", 0, true, true, false, true},
       {"C:\\T\\a.txt", "run C:\\T\\|a.txt", "C:\\T\\" + n + ".txt", "run C:\\T\\|" + n + ".txt",
        "C:\\T\\sub\\c.txt", "run C:\\T\\sub\\|c.txt", "C:\\T\\sub\\deep\\d.txt",
        "run C:\\T\\sub\\deep\\|d.txt", "C:\\T\\" + n + "\\z.txt", "run C:\\T\\" + n + "\\|z.txt"},
       5,
       0},
      // The tables show "." and ".." and one header per directory.
      {{"*.*", 1, false, true, false, false},
       {"header C:\\T\\", "show C:\\T\\|.", "show C:\\T\\|..", "show C:\\T\\|a.txt",
        "show C:\\T\\|b.dat", "show C:\\T\\|e.zip", "show C:\\T\\|" + n + ".txt"},
       6,
       6},
      // Archives are opened where they match; what cannot be opened is passed over.
      {{"*.TXT", 0, true, false, true, false}, {"archive ZIP PK"}, 0, 0},
      // A pattern the walk's own matching does not decide gets the system's listing.
      {{"*.TXT", 0, true, false, true, false, "E?ZIP"}, {"archive ZIP PK"}, 0, 0},
      // Several names: an archive two of them match is listed once.
      {{"*.TXT", 0, true, false, true, false, "*.ZIP|E.*"}, {"archive ZIP PK"}, 0, 0},
      {{"*.TXT", 0, true, false, true, false, "*.JAR|*.ZIP"}, {"archive ZIP PK"}, 0, 0},
  };
  for (const Row& row : rows) {
    memory_fs::MemoryFileSystem files = Tree();
    auto context = memory_fs::NewRun();
    memory_fs::RecordingSearchSink sink(*context);
    EXPECT_EQ(Walk(files, sink, row.run), -1) << row.run.pattern;
    EXPECT_EQ(sink.lines, row.lines) << row.run.pattern;
    EXPECT_EQ(context->totals.count, row.count) << row.run.pattern;
    EXPECT_EQ(context->totals.bytes, row.bytes) << row.run.pattern;
  }
}

TEST(DirectoryWalk, FailuresOfAListing) {
  struct Row {
    const char* directory;  // the one that fails
    bool opened;            // after its first entry, or when opened
    std::uint32_t code;
    int stopped;  // the status the run stops with, -1 when it goes on
    Lines lines;
    int firstNoted;
  } rows[] = {
      // A subdirectory that cannot be opened is reported and passed over.
      {"C:\\T\\sub", false, 5, -1, {"C:\\T\\a.txt", "C:\\T\\a2.txt", "Error Code : 5\n"}, 5},
      // The top directory failing ends the run with its code.
      {"C:\\T", false, 5, 5, {"Error Code : 5\n"}, 0},
      // So does its not being there; a subdirectory that has gone is passed over.
      {"C:\\T", false, kErrorPathNotFound, 3, {"Error Code : 3\n"}, 0},
      {"C:\\T\\sub", false, kErrorPathNotFound, -1, {"C:\\T\\a.txt", "C:\\T\\a2.txt"}, 0},
      // A listing that breaks off ends the run.
      {"C:\\T", true, 59, 59, {"C:\\T\\a.txt", "Error Code : 59\n"}, 0},
  };
  for (const Row& row : rows) {
    memory_fs::MemoryFileSystem files = Tree();
    files.Add("C:\\T\\a2.txt");
    files.Fail(row.directory, row.code, row.opened);
    auto context = memory_fs::NewRun();
    memory_fs::RecordingSearchSink sink(*context);
    EXPECT_EQ(Walk(files, sink, {"A*.TXT", 0, true, true, false, false}), row.stopped) << row.code;
    EXPECT_EQ(sink.lines, row.lines) << row.directory << " " << row.code;
    EXPECT_EQ(context->stop.firstNoted(), row.firstNoted) << row.directory;
  }
}

// Whichever listing meets the missing top directory first reports it.
TEST(DirectoryWalk, MissingTopDirectoryOnEveryPath) {
  const WalkRun runs[] = {
      {"*.TXT", 0, true, true, false, false},  {"*.TXT", 0, false, true, true, false},
      {"*.TXT", 0, true, false, false, false}, {"*.TXT", 0, false, false, false, false},
      {"*.TXT", 0, false, false, true, false}, {"*.TXT", 0, false, false, true, false, "E?ZIP"},
  };
  for (const WalkRun& run : runs) {
    memory_fs::MemoryFileSystem files;
    auto context = memory_fs::NewRun();
    memory_fs::RecordingSearchSink sink(*context);
    EXPECT_EQ(Walk(files, sink, run), 3) << run.ordinary << run.subdirectories << run.zip;
    EXPECT_EQ(sink.lines, Lines{"Error Code : 3\n"}) << run.ordinary << run.zip << run.zipNames;
  }
}

}  // namespace
