// Name rules and PATH splitting of the program lookup.
#include "finder/search/program_lookup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/memory_file_system.h"

namespace {

TEST(AnalyzeProgramName, StemAndExtension) {
  struct Row {
    const char* name;
    bool hasDirectory;
    std::size_t nameStart, stemLength;
    bool hasExtension;
  } rows[] = {
      {"NOTEPAD", false, 0, 7, false},       {"FOO.TXT", false, 0, 3, true},
      {"FOO.", false, 0, 3, false},  // trailing "." is replaced by the extensions
      {".profile", false, 0, 8, false},      {"a.b.c", false, 0, 3, true},
      {"C:\\TOOLS\\FOO", true, 9, 3, false}, {"C:\\A.B\\FOO", true, 7, 3, false},
      {"..\\BIN\\X.EXE", true, 7, 1, true},  {"C:\\日本\\表.EXE", true, 10, 3, true},
  };
  for (const Row& row : rows) {
    ProgramName got = AnalyzeProgramName(row.name);
    EXPECT_EQ(got.hasDirectory, row.hasDirectory) << row.name;
    EXPECT_EQ(got.nameStart, row.nameStart) << row.name;
    EXPECT_EQ(got.stemLength, row.stemLength) << row.name;
    EXPECT_EQ(got.hasExtension, row.hasExtension) << row.name;
  }
}

using Texts = std::vector<std::string>;

TEST(PathDirectories, SplitsOutsideQuotesDropsQuotesAndEmptyElements) {
  EXPECT_EQ(PathDirectories(";C:\\BIN;;D:\\UTIL\\; E:\\Q ;\"C:\\a;b\";\"\";C:\\\"q\"\\"),
            (Texts{"C:\\BIN", "D:\\UTIL\\", " E:\\Q ", "C:\\a;b", "C:\\q\\"}));
  EXPECT_EQ(PathDirectories("\"C:\\open;C:\\BIN"), Texts{"C:\\open;C:\\BIN"});
}

TEST(ProgramExtensions, PathExtInItsOrderOnceEachOrTheDefault) {
  EXPECT_EQ(ProgramExtensions(";;"), (Texts{".COM", ".EXE", ".BAT", ".CMD"}));
  EXPECT_EQ(ProgramExtensions(".cmd;;.EXE;.CMD;.*;\\X;.B?T"), (Texts{".cmd", ".EXE"}));
}

// The current directory first, then PATH in order; the extensions in their
// order; directories and refused entries are no programs; the root's
// backslash is not doubled; a name with a directory is looked up only there.
TEST(FindProgram, CandidatesInOrder) {
  memory_fs::MemoryFileSystem files;
  for (const char* directory : {"C:\\W", "C:\\W\\TOOL.EXE", "D:\\"}) files.Add(directory, true);
  for (const char* file : {"C:\\W\\TOOL.BAT", "C:\\TOOL.COM", "D:\\TOOL.EXE", "D:\\x.EXE"})
    files.Add(file);
  struct Row {
    const char* name;
    const char* current;
    std::vector<std::string> lines;
  } rows[] = {
      {"tool", "C:\\W", {"C:\\W\\TOOL.BAT", "C:\\TOOL.COM", "D:\\TOOL.EXE"}},
      {"tool.com", "C:\\", {"C:\\TOOL.COM", "C:\\TOOL.COM"}},
      {"tool.exe", "", {"D:\\TOOL.EXE"}},
      {"x", "C:\\W", {}},
      {"W\\tool", "C:\\W", {"C:\\W\\TOOL.BAT"}},
  };
  for (const Row& row : rows) {
    auto run = memory_fs::NewRun();
    run->options.fileNameText.Assign(row.name);
    memory_fs::RecordingSearchSink sink(*run);
    FindProgram(*run, files, sink, {row.current, "C:;;D:", ""});
    EXPECT_EQ(sink.lines, row.lines) << row.name;
    EXPECT_EQ(run->totals.count, row.lines.size()) << row.name;
  }
}

}  // namespace
