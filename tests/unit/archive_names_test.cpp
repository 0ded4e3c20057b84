// The archive names the walk matches itself: exactly what the system's
// directory search gives for the same pattern, long or short name, or no
// decision at all.
#include "finder/search/archive_names.h"

#include <gtest/gtest.h>

#include <cstring>

#include "finder/records/search_options.h"

namespace {

TEST(ArchiveNames, MatchLikeTheSystemOrLeaveItToIt) {
  struct Row {
    const char* pattern;
    const char* name;
    const char* shortName;
    int expected;  // 1 matches, 0 does not, -1 left to the system
  } rows[] = {
      {"*.ZIP", "a.zip", "", 1},
      {"*.ZIP", "A.B.Zip", "", 1},
      {"*.ZIP", ".zip", "", 1},
      {"*.ZIP", "a.zipx", "", 0},
      {"*.ZIP", "a.zipx", "A~1.ZIP", 1},  // the short name matches as the system's does
      {"*.ZIP", "zip", "", 0},
      {"*.ZIP", "a.z\xC4\xB1p", "", 1},  // dotless i is I in the system's table
      {"*.TAR.GZ", "src-1.0.tar.gz", "", 1},
      {"*.TAR.GZ", "a.tgz", "", 0},
      {"*.LZH", "a.lzh", "", 1},
      {"*.ZI\xC5\xBF", "a.zis", "", -1},  // not ASCII: the system's
      {"*.IS", "a.i\xC5\xBF", "", 1},     // long s is S in the system's table
      {"*.IS", "a.\xC4\xB1S", "", 1},     // dotless i is I
      {"BACKUP.ZIP", "backup.zip", "", 1},
      {"BACKUP.ZIP", "old.backup.zip", "", 0},
      {"BACKUP.ZIP", "x", "BACKUP.ZIP", 1},
      {"*", "anything", "", 1},
      {"*.*", "noextension", "", 1},
      {"B*.ZIP", "b.zip", "", -1},
      {"?.ZIP", "a.zip", "", -1},
      {"*.ZIP.", "a.zip", "", -1},  // the system strips the trailing dot
      {"*.ZIP ", "a.zip", "", -1},
      {"SUB\\*.ZIP", "a.zip", "", -1},
      {"<.ZIP", "a.zip", "", -1},
      {"", "a.zip", "", -1},
      {"*.JAR|*.ZIP", "a.zip", "", 1},
      {"*.JAR|*.ZIP", "a.zipx", "", 0},
      {"*.JAR|?.ZIP", "a.zip", "", -1},  // every name must be the core's to decide
  };
  for (const Row& row : rows) {
    ArchiveNames names(row.pattern);
    FileEntry entry;
    std::strcpy(entry.name, row.name);
    std::strcpy(entry.shortName, row.shortName);
    const int got = !names.decided() ? -1 : names.Match(entry) ? 1 : 0;
    EXPECT_EQ(got, row.expected) << row.pattern << " " << row.name;
  }
}

}  // namespace
