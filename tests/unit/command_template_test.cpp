// Command templates expanded for found files and for archive members.
#include "finder/listing/command_template.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Short forms as a file system would give them, for the paths the tests use.
void FakeShortPath(std::string_view path, LongPathText& out) {
  if (path == "C:\\Program Files\\Long Dir\\") {
    out.Assign("C:\\PROGRA~1\\LONGDI~1\\");
  } else if (path == "C:\\Program Files\\Tools Archive.zip") {
    out.Assign("C:\\PROGRA~1\\TOOLSA~1.ZIP");
  } else {
    out.Assign(path);
  }
}

std::string File(std::string_view tmpl, std::string_view directory, std::string_view name,
                 std::string_view shortName = "", bool shortNames = false) {
  CommandLineText out;
  EXPECT_TRUE(
      ExpandCommandTemplate(tmpl, {directory, name, shortName}, shortNames, FakeShortPath, out));
  return std::string(out.view());
}

std::string Member(std::string_view tmpl, std::string_view archive, std::string_view name,
                   bool shortNames = false) {
  CommandLineText out;
  EXPECT_TRUE(ExpandMemberTemplate(tmpl, archive, name, shortNames, FakeShortPath, out));
  return std::string(out.view());
}

TEST(ExpandCommandTemplate, Codes) {
  struct Row {
    const char* tmpl;
    const char* directory;
    const char* name;
    const char* expected;
  } rows[] = {
      {"copy $F D:\\BAK\\$N.OLD", "C:\\WORK\\", "report.txt",
       "copy C:\\WORK\\report.txt D:\\BAK\\report.OLD"},
      {"$D$P", "C:\\WORK\\SUB\\", "a.txt", "C:\\WORK\\SUB"},
      {"$D$P", "C:\\", "a.txt", "C:"},
      {"[$N|$E]", "C:\\", "archive.tar.gz", "[archive.tar|gz]"},
      {"[$N|$E]", "C:\\", "README", "[README|]"},
      {"$f $n $e $d $p", "C:\\W\\", "x.c", "C:\\W\\x.c x c C: \\W"},
      {"100$$ $X and $ %$", "C:\\", "a", "100$ $X and $ %$"},
      {"$X$F", "C:\\", "a", "$XC:\\a"},
      {"$A", "C:\\", "a", "$A"},  // $A is a member code only
      {"$D[$P]$F", "\\\\server\\share\\dir\\", "f.txt",
       "[\\share\\dir]\\\\server\\share\\dir\\f.txt"},
      {"no codes", "C:\\", "a", "no codes"},
      {"", "C:\\", "a", ""},
      {"end$", "C:\\", "a", "end$"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(File(row.tmpl, row.directory, row.name), row.expected) << row.tmpl;
  }
}

TEST(ExpandCommandTemplate, ShortForms) {
  EXPECT_EQ(File("$F|$N|$E|$D$P", "C:\\Program Files\\Long Dir\\", "Long Name.text", "LONGNA~1.TEX",
                 true),
            "C:\\PROGRA~1\\LONGDI~1\\LONGNA~1.TEX|LONGNA~1|TEX|C:\\PROGRA~1\\LONGDI~1");
  // No separate short name: the long name is used.
  EXPECT_EQ(File("$F", "C:\\Program Files\\Long Dir\\", "A.TXT", "", true),
            "C:\\PROGRA~1\\LONGDI~1\\A.TXT");
  // Without $S the short name is not used.
  EXPECT_EQ(File("$N", "C:\\", "Long Name.text", "LONGNA~1.TEX"), "Long Name");
}

TEST(ExpandMemberTemplate, Codes) {
  struct Row {
    const char* tmpl;
    const char* archive;
    const char* name;
    const char* expected;
  } rows[] = {
      {"$A $P $D", "C:\\DL\\TOOLS.ZIP", "x", "TOOLS.ZIP \\DL C:"},
      {"[$N|$E]", "C:\\A.ZIP", "archive.tar.gz", "[archive.tar|gz]"},
      {"[$N|$E]", "C:\\A.ZIP", "README", "[README|README]"},
      {"$F$X-$$-$a", "C:\\A.ZIP", "m", "-$-A.ZIP"},  // $F is no member code
      {"$A", "C:\\DL\\TOOLS.ZIP : inner.txt", "inner.txt", "TOOLS.ZIP"},
      {"$P", "C:\\TOOLS.ZIP", "x", ""},
      {"$A", "TOOLS.ZIP", "x", "TOOLS.ZIP"},
      {"end$", "C:\\A.ZIP", "x", "end$"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Member(row.tmpl, row.archive, row.name), row.expected) << row.tmpl;
  }
  EXPECT_EQ(Member("$A|$P", "C:\\Program Files\\Tools Archive.zip", "m", true),
            "TOOLSA~1.ZIP|\\PROGRA~1");
}

// The buffer holds the platform's command line in UTF-8 (the edge counts its
// 32,767 UTF-16 units): 217 full paths of 452 bytes fit its 98,303 bytes, 218
// do not.
TEST(ExpandTemplates, ACommandThatDoesNotFitIsReported) {
  std::string directory = "C:\\" + std::string(250, 'd') + "\\";
  std::string name(198, 'n');
  std::string fits, over;
  for (int i = 0; i < 217; ++i) fits += "$F ";
  over = fits + "$F";
  fits.pop_back();
  CommandLineText out;
  EXPECT_TRUE(ExpandCommandTemplate(fits, {directory, name, ""}, false, FakeShortPath, out));
  EXPECT_FALSE(ExpandCommandTemplate(over, {directory, name, ""}, false, FakeShortPath, out));
  EXPECT_EQ(out.size(), out.capacity());
  EXPECT_FALSE(ExpandMemberTemplate(std::string(kCommandLineSize, 'x'), "C:\\A.ZIP", "m", false,
                                    FakeShortPath, out));
}

}  // namespace
