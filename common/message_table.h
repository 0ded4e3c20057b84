// The layout of TLVC's message table, shared by both programs.
//
// One string table in language 1041 with two blocks (ids 0-15 and 16-31).
// Ids 1-26 form 13 slots: an odd text id n and its spacer id n+1, whose
// lengths add up to 80 UTF-16 code units, so every slot occupies 82 code
// units and stays where it is whatever its text. Id 0 and ids 27-31 are
// empty. Block 2's data lies directly behind block 1's in the file.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace msg {

enum MessageId : unsigned {
  kDefaultOption = 1,
  kJapaneseFound = 3,
  kJapaneseNotFound = 5,
  kJapanesePause = 7,
  kJapaneseQuery = 9,
  kJapaneseWait = 11,
  kJapaneseFinish = 13,
  kEnglishFound = 15,
  kEnglishNotFound = 17,
  kEnglishPause = 19,
  kEnglishQuery = 21,
  kEnglishWait = 23,
  kEnglishFinish = 25,
};

// Each English message is its Japanese twin + 12.
inline constexpr unsigned kEnglishOffset = 12;
constexpr unsigned EnglishId(unsigned japaneseId) {
  return japaneseId + kEnglishOffset;
}

inline constexpr std::size_t kSlotUnits = 80;     // text + spacer, in UTF-16 code units
inline constexpr std::size_t kMaxTextUnits = 79;  // a text leaves room for a terminator
// Bytes the finder loads a message into: its text in UTF-8, three bytes a unit at most.
inline constexpr std::size_t kMessageBufferSize = 3 * kMaxTextUnits + 1;
inline constexpr std::size_t kSlotCount = 13;
inline constexpr std::size_t kBlock1Bytes = 1212;
inline constexpr std::size_t kBlock2Bytes = 932;
inline constexpr std::size_t kTableUnits = 1 + kSlotCount * (kSlotUnits + 2) + 5;  // 1072
inline constexpr unsigned kLanguage = 1041;

struct MessageSlot {
  unsigned textId;       // the spacer is textId + 1
  std::string_view key;  // the key in the configuration file
};

// In id order; the keys are spelled as the configuration files have always
// spelled them.
inline constexpr std::array<MessageSlot, kSlotCount> kMessageSlots = {{
    {kDefaultOption, "DefaultOption"},
    {kJapaneseFound, "JananeseFound"},
    {kJapaneseNotFound, "JananeseNotFound"},
    {kJapanesePause, "JananesePause"},
    {kJapaneseQuery, "JapaneseQuery"},
    {kJapaneseWait, "JapaneseWait"},
    {kJapaneseFinish, "JapaneseFinish"},
    {kEnglishFound, "EnglishFound"},
    {kEnglishNotFound, "EnglishNotFound"},
    {kEnglishPause, "EnglishPause"},
    {kEnglishQuery, "EnglishQuery"},
    {kEnglishWait, "EnglishWait"},
    {kEnglishFinish, "EnglishFinish"},
}};

static_assert(kTableUnits * 2 == kBlock1Bytes + kBlock2Bytes);

}  // namespace msg
