// The link-loop guard: which link targets are on the walk's current path,
// and that identities are read only when a link asks, each level once.
#include "finder/search/path_identities.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// The directory in front of each name position; position 99 cannot be read.
std::map<std::size_t, DirectoryIdentity> directories;
int reads = 0;

bool Read(std::size_t namePosition, DirectoryIdentity& identity) {
  ++reads;
  auto found = directories.find(namePosition);
  if (found == directories.end()) return false;
  identity = found->second;
  return true;
}

TEST(PathIdentities, FindsTargetsOnThePathReadingEachLevelOnce) {
  directories = {{3, {7, 1}}, {10, {7, 2}}, {20, {7, 3}}, {30, {7, 4}}};
  reads = 0;
  PathIdentities path;
  PathIdentities::Level top(path, 3);
  {
    PathIdentities::Level a(path, 10);
    EXPECT_EQ(reads, 0);                        // no link met, nothing read
    EXPECT_TRUE(path.IsOnPath({7, 1}, Read));   // a link to the top
    EXPECT_TRUE(path.IsOnPath({7, 2}, Read));   // a link to itself
    EXPECT_FALSE(path.IsOnPath({7, 3}, Read));  // a sibling
    EXPECT_FALSE(path.IsOnPath({8, 1}, Read));  // same index, other volume
    EXPECT_EQ(reads, 2);
  }
  // Left and entered again: the new directory at that depth is read afresh.
  directories[10] = {7, 5};
  PathIdentities::Level b(path, 10);
  EXPECT_TRUE(path.IsOnPath({7, 5}, Read));
  EXPECT_FALSE(path.IsOnPath({7, 2}, Read));
  EXPECT_EQ(reads, 3);
  // A level that cannot be read matches nothing and is tried again.
  PathIdentities::Level unreadable(path, 99);
  PathIdentities::Level c(path, 30);
  EXPECT_TRUE(path.IsOnPath({7, 4}, Read));
  EXPECT_TRUE(path.IsOnPath({7, 4}, Read));
  EXPECT_EQ(reads, 7);
}

}  // namespace
