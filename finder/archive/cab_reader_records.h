// The records of a Microsoft Cabinet file that the reader uses.
//
// Cabinet header, fixed part (36 bytes; the reader needs only a few fields):
//   0  "MSCF"            4  reserved, 0        8  cabinet size (ignored)
//   12 reserved, 0       16 offset of the first file record (>= 37)
//   20 reserved          24 minor, 25 major version
//   26 folder count      28 file count         30 flags
//   32 set id            34 number in the set
// The optional reserved areas, the names of the neighbouring cabinets of a
// set and the folder records lie between the header and the first file
// record; the reader jumps over all of them by the first-file offset.
//
// File record (16 bytes, then the zero-terminated name):
//   0  uncompressed size  4  offset in the folder  8  folder index
//   10 MS-DOS date        12 MS-DOS time           14 attributes
// Attribute bit 0x80 marks a name stored in UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "finder/archive/member_name_part.h"
#include "finder/records/search_options.h"

inline constexpr std::size_t kCabHeaderSize = 36;
inline constexpr std::size_t kCabFileRecordSize = 16;
inline constexpr std::uint32_t kCabMinFirstFileOffset = 37;
inline constexpr std::uint16_t kCabNameIsUtf8 = 0x80;

// True when `bytes` (at least 36 of them) carry "MSCF", zeros in both
// reserved fields and a first-file offset of at least 37.
bool IsCabinetHeader(std::span<const std::uint8_t> bytes);

struct CabHeader {
  std::uint32_t firstFileOffset = 0;
  std::uint16_t fileCount = 0;
};
CabHeader DecodeCabHeader(std::span<const std::uint8_t> bytes);

struct CabFileRecord {
  std::uint32_t size = 0;
  DosDateTime stamp;
  std::uint16_t attributes = 0;
  bool nameIsUtf8() const { return (attributes & kCabNameIsUtf8) != 0; }
};
CabFileRecord DecodeCabFileRecord(std::span<const std::uint8_t> bytes);

// Collects a stored name byte by byte as it is read. A member is matched by
// the part behind the last backslash. Where only that part is shown (the long
// form without /W) only it is kept, each backslash starting the name afresh;
// else the whole name with its folder parts, and where its part begins.
class CabNameCollector {
 public:
  // `room` takes the name and its terminator (at least one byte); the reader
  // gives room for the longest name it lists. `isLeadByte`: the lead bytes of
  // a name in a double-byte code page, whose second bytes are no backslash;
  // null for names in UTF-8.
  CabNameCollector(std::span<char> room, bool lastPartOnly, LeadByteTest isLeadByte = nullptr)
      : lastPartOnly_(lastPartOnly),
        isLeadByte_(isLeadByte),
        buffer_(room.data()),
        capacity_(room.size() - 1) {
    buffer_[0] = '\0';
  }
  // Takes one byte other than the terminator.
  void Add(char byte);
  // Takes bytes other than the terminator, as one Add per byte would.
  void Add(std::string_view bytes);
  // False when what is kept outgrew the room; the member is then passed over.
  // A long folder part that a later backslash drops is fine.
  bool fits() const { return !overflow_; }
  std::string_view name() const { return {buffer_, length_}; }
  const char* c_str() const { return buffer_; }
  // The part behind the last backslash, terminated.
  std::string_view part() const { return name().substr(partStart_); }
  const char* part_c_str() const { return buffer_ + partStart_; }

 private:
  bool lastPartOnly_;
  LeadByteTest isLeadByte_;
  bool secondByteNext_ = false;  // the byte before was a lead byte
  bool overflow_ = false;
  std::size_t length_ = 0;
  std::size_t partStart_ = 0;  // at most length_
  char* buffer_;
  std::size_t capacity_;
};
