// The split of a full path into directory and pattern, and the bounded
// writes behind a directory's name position.
#include "finder/search/search_path.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/long_path.h"

namespace {

struct SplitRow {
  const char* path;
  const char* pathAfter;  // the drive letter upper-cased
  bool namesShare;
  std::size_t namePosition;
};

TEST(SplitSearchPath, FindsTheNamePositionBehindTheLastBackslash) {
  const SplitRow rows[] = {
      {"c:\\work\\*.txt", "C:\\work\\*.txt", true, 8},
      {"C:\\*.TXT", "C:\\*.TXT", true, 3},
      {"z:\\a\\b\\c\\README.TXT", "Z:\\a\\b\\c\\README.TXT", true, 9},
      {"C:x.txt", "C:x.txt", true, 2},
      {"1:\\x", "1:\\x", true, 3},
      {"\\\\PC\\SHARE\\*.TXT", "\\\\PC\\SHARE\\*.TXT", true, 11},
      {"\\\\PC\\SHARE\\DIR\\A.TXT", "\\\\PC\\SHARE\\DIR\\A.TXT", true, 15},
      {"\\\\PC\\SHARE\\", "\\\\PC\\SHARE\\", true, 11},
      // No shared directory behind the computer name.
      {"\\\\PC\\*.TXT", "\\\\PC\\*.TXT", false, 0},
      {"\\\\PC", "\\\\PC", false, 0},
      {"\\\\PC\\SHARE", "\\\\PC\\SHARE", false, 0},
      // UTF-8 needs no care: none of its bytes beyond ASCII is a backslash.
      {"c:\\日本\\*.txt", "C:\\日本\\*.txt", true, 10},
  };
  for (const SplitRow& row : rows) {
    SCOPED_TRACE(row.path);
    char path[260];
    std::strcpy(path, row.path);
    PathSplit split = SplitSearchPath(path);
    EXPECT_STREQ(path, row.pathAfter);
    EXPECT_EQ(split.namesShare, row.namesShare);
    if (row.namesShare) {
      EXPECT_EQ(split.namePosition, row.namePosition);
    }
  }
}

TEST(WriteAtNamePosition, WritesWhatFitsWithItsTerminatorAndNothingElse) {
  char path[16];
  std::strcpy(path, "C:\\DIR\\*.TXT");
  EXPECT_TRUE(WriteAtNamePosition(path, sizeof path, 7, {"SUB", "\\", "*.T"}));
  EXPECT_STREQ(path, "C:\\DIR\\SUB\\*.T");
  EXPECT_TRUE(WriteAtNamePosition(path, sizeof path, 7, {"12345678"}));  // 15 bytes and the zero
  EXPECT_STREQ(path, "C:\\DIR\\12345678");
  EXPECT_FALSE(WriteAtNamePosition(path, sizeof path, 7, {"123456789"}));
  EXPECT_FALSE(WriteAtNamePosition(path, sizeof path, 7, {"1234", "\\", "5678"}));
  EXPECT_STREQ(path, "C:\\DIR\\12345678");  // untouched by the refused writes
  EXPECT_FALSE(WriteAtNamePosition(path, sizeof path, 16, {""}));
  EXPECT_TRUE(WriteAtNamePosition(path, sizeof path, 15, {""}));
  EXPECT_TRUE(WriteAtNamePosition(path, sizeof path, 3, {"*"}));
  EXPECT_STREQ(path, "C:\\*");
}

// The prefix appears from 260 units on, in the form for drives or shares,
// and comes off again exactly; nothing else is touched.
TEST(LongPath, PrefixOnTheWayToTheSystemOnly) {
  const std::u16string deep = u"\\" + std::u16string(300, u'd');
  const struct {
    std::u16string path, system;
  } rows[] = {
      {u"C:" + deep.substr(0, 257), u"C:" + deep.substr(0, 257)},  // 259 units
      {u"C:" + deep.substr(0, 258), u"\\\\?\\C:" + deep.substr(0, 258)},
      {u"\\\\pc\\share" + deep, u"\\\\?\\UNC\\pc\\share" + deep},
      {u"\\\\?\\C:" + deep, u"\\\\?\\C:" + deep},
      {u"\\\\.\\pipe" + deep, u"\\\\.\\pipe" + deep},
      {u"rel" + deep, u"rel" + deep},
  };
  for (const auto& row : rows) {
    char16_t out[kLongPathUnits * 2];
    ASSERT_TRUE(ToSystemPath(row.path, out, std::size(out)));
    EXPECT_EQ(std::u16string(out), row.system) << row.path.size();
    EXPECT_EQ(WithoutLongPathPrefix(out, row.system.size()),
              row.path.substr(0, 4) == u"\\\\?\\" ? row.path.substr(4) : row.path);
  }
  char16_t small[8];
  EXPECT_FALSE(ToSystemPath(u"C:\\abcdef", small, std::size(small)));
}

}  // namespace
