// Member names stored in code page 932: a second byte 0x5C (表 0x95 0x5C,
// ソ 0x83 0x5C, 能 0x94 0x5C) is no folder separator, in the ZIP, LHA and
// Cabinet name splits alike; in a single-byte code page every 0x5C is one.
#include "finder/archive/member_name_part.h"

#include <gtest/gtest.h>

#include <string>

#include "finder/archive/cab_reader_records.h"
#include "finder/archive/lzh_reader_headers.h"

namespace {

#define HYOU "\x95\x5C"  // 表
#define SO "\x83\x5C"    // ソ
#define NOU "\x94\x5C"   // 能

struct Case {
  const char* stored;
  const char* part932;  // the name part in code page 932
  const char* part1252;
};

const Case kCases[] = {
    {HYOU ".txt", HYOU ".txt", ".txt"},
    {"dir\\" SO ".txt", SO ".txt", ".txt"},
    {NOU "\x97\xCD.txt", NOU "\x97\xCD.txt", "\x97\xCD.txt"},
    {HYOU "\\" HYOU, HYOU, ""},
    {"a\\b\\c.txt", "c.txt", "c.txt"},
    {"plain.txt", "plain.txt", "plain.txt"},
    // A stray lead byte at the end, or before a byte no character has.
    {"x\x95", "x\x95", "x\x95"},
    {"x\x95\\y", "x\x95\\y", "y"},
};

TEST(MemberNamePart, SecondBytesAreNoBackslash) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.stored);
    EXPECT_EQ(LzhLevel0NamePart(c.stored, MemberNameLeadByteTest(932)), c.part932);
    EXPECT_EQ(LzhLevel0NamePart(c.stored, MemberNameLeadByteTest(1252)), c.part1252);
    for (auto [lead, expected] : {std::pair{MemberNameLeadByteTest(932), c.part932},
                                  std::pair{MemberNameLeadByteTest(1252), c.part1252}}) {
      char room[64];
      CabNameCollector name(room, true, lead);
      for (const char* p = c.stored; *p; ++p) name.Add(*p);
      EXPECT_EQ(name.name(), expected);
      // Kept whole, a byte at a time or in one piece: the same part.
      CabNameCollector whole(room, false, lead);
      whole.Add(c.stored);
      EXPECT_EQ(whole.name(), c.stored);
      EXPECT_EQ(whole.part(), expected);
    }
  }
}

TEST(MemberNamePart, LastSeparatorStepsOverWholeCharacters) {
  const LeadByteTest sjis = MemberNameLeadByteTest(932);
  EXPECT_EQ(LastSeparator(HYOU "/" SO, '/', sjis), 2u);
  EXPECT_EQ(LastSeparator("\x95/x", '/', sjis), 1u);  // "/" is never a second byte
  EXPECT_EQ(LastSeparator(HYOU, '\\', sjis), std::string::npos);
  EXPECT_EQ(LastSeparator(HYOU, '\\', nullptr), 1u);
}

}  // namespace
