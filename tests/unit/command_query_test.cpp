// The runner's answers to query keys and the directory a command runs in.
#include "finder/listing/command_query.h"

#include <gtest/gtest.h>

TEST(ClassifyQueryKey, KeysInAnyCase) {
  struct Row {
    char key;
    QueryAnswer answer;
  } rows[] = {
      {13, QueryAnswer::Run},     {'E', QueryAnswer::Run},     {'e', QueryAnswer::Run},
      {32, QueryAnswer::Skip},    {'S', QueryAnswer::Skip},    {'s', QueryAnswer::Skip},
      {27, QueryAnswer::Cancel},  {'C', QueryAnswer::Cancel},  {'c', QueryAnswer::Cancel},
      {'X', QueryAnswer::Ignore}, {'\n', QueryAnswer::Ignore}, {'\x82', QueryAnswer::Ignore},
  };
  for (const Row& row : rows) EXPECT_EQ(ClassifyQueryKey(row.key), row.answer) << int(row.key);
}

TEST(CommandDirectoryEnd, RootKeepsItsBackslash) {
  EXPECT_EQ(CommandDirectoryEnd("C:\\WORK\\a.txt", 7), 7u);
  EXPECT_EQ(CommandDirectoryEnd("C:\\a.txt", 2), 3u);
  EXPECT_EQ(CommandDirectoryEnd("\\\\pc\\share\\a", 10), 10u);
  EXPECT_EQ(CommandDirectoryEnd("C:\\", 2), 3u);
  EXPECT_EQ(kEraseLine.size(), 80u);
  EXPECT_EQ(kEraseLine.find_first_not_of(' '), 79u);
}
