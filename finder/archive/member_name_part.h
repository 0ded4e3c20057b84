// Folder separators inside stored member names. Archives made on a Japanese
// system store names in code page 932, where the second byte of a character
// such as 表, ソ or 能 is 0x5C: read byte by byte it looks like a backslash,
// and the name would be cut in the middle of a character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "common/inside_text.h"

// The lead bytes of code page 932 (0x81-0x9F, 0xE0-0xFC).
bool IsShiftJisLeadByte(unsigned char byte);

// The lead bytes of the other double-byte code pages of Windows: 936 (GBK),
// 949 (Korean) and 950 (Big5) (0x81-0xFE).
bool IsWideLeadByte(unsigned char byte);

// The lead-byte test for names in a code page (the ANSI one, or the one /K
// names): IsShiftJisLeadByte in code page 932, IsWideLeadByte in 936, 949
// and 950, else null (every byte is a character of its own, or, in UTF-8, no
// byte of a character is ASCII).
LeadByteTest MemberNameLeadByteTest(std::uint32_t codePage);

// True when the byte that follows a lead byte is its second byte: every
// double-byte code page puts second bytes at 0x40 and above, so a stray lead
// byte never takes a "/" or a terminator with it.
inline bool IsSecondByte(unsigned char byte) {
  return byte >= 0x40;
}

// The index of the last `separator` in `name` that is a character of its
// own, or npos.
std::size_t LastSeparator(std::string_view name, char separator, LeadByteTest isLeadByte);

// The whole stored path of a member as /W lists it, in the units of its name
// (bytes, or UTF-16 units): folders separated by `\` whatever separator the
// archive stores (ZIP `/`, LHA 0xFF and U+FFFF). None of those is ever a unit
// of a multi-byte character, in UTF-8 or in a double-byte code page (whose
// second bytes lie at 0x40 and above, and which has no 0xFF), so the
// separators are turned a unit at a time. The path stays terminated; a path
// that outgrows its room is no path to list (`fits`).
template <typename Unit>
class MemberPath {
 public:
  // `room` holds the path and its terminator; `separator`: the one stored.
  MemberPath(std::span<Unit> room, Unit separator)
      : room_(room.data()), capacity_(room.size() - 1), separator_(separator) {
    room_[0] = 0;
  }
  void Add(Unit unit) {
    if (length_ == capacity_) {
      fits_ = false;
      return;
    }
    endsInSeparator_ = unit == separator_;
    room_[length_++] = endsInSeparator_ ? Unit{'\\'} : unit;
    room_[length_] = 0;
  }
  void Add(std::basic_string_view<Unit> units) {
    for (Unit unit : units) Add(unit);
  }
  // Ends a folder: what follows is in it. Nothing when no folder was added,
  // or the folder ends in its separator, as LHA folders do.
  void EndFolder() {
    if (length_ != 0 && !endsInSeparator_) Add(separator_);
  }
  bool fits() const { return fits_; }
  const Unit* c_str() const { return room_; }
  std::basic_string_view<Unit> view() const { return {room_, length_}; }

 private:
  Unit* room_;
  std::size_t capacity_;
  Unit separator_;
  std::size_t length_ = 0;
  bool fits_ = true;
  bool endsInSeparator_ = false;
};
