// Name rules and PATH splitting of the program lookup.
#include "finder/search/program_lookup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool ShiftJisLead(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

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
      {"..\\BIN\\X.EXE", true, 7, 1, true},
  };
  for (const Row& row : rows) {
    ProgramName got = AnalyzeProgramName(row.name, ShiftJisLead);
    EXPECT_EQ(got.hasDirectory, row.hasDirectory) << row.name;
    EXPECT_EQ(got.nameStart, row.nameStart) << row.name;
    EXPECT_EQ(got.stemLength, row.stemLength) << row.name;
    EXPECT_EQ(got.hasExtension, row.hasExtension) << row.name;
  }
}

TEST(AnalyzeProgramName, SecondByteOfADoubleByteCharacterIsNoBackslash) {
  // "表" in code page 932 is 0x95 0x5C.
  ProgramName got = AnalyzeProgramName("\x95\x5C.EXE", ShiftJisLead);
  EXPECT_FALSE(got.hasDirectory);
  EXPECT_EQ(got.stemLength, 2u);
  EXPECT_TRUE(got.hasExtension);
  EXPECT_TRUE(AnalyzeProgramName("\x95\x5C.EXE", nullptr).hasDirectory);
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

TEST(EndsWithBackslash, ASecondByteIsNoSeparator) {
  EXPECT_FALSE(EndsWithBackslash("C:\\\x95\x5C", ShiftJisLead));  // 表
  EXPECT_TRUE(EndsWithBackslash("C:\\\x95\x5C\\", ShiftJisLead));
}

}  // namespace
