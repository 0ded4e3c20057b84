// Lists the matching files of one Microsoft Cabinet file, reading only the
// cabinet header and the file records.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "finder/archive/archive_format.h"
#include "finder/archive/cab_reader_records.h"

// The Cabinet reader (a MemberReader, archive_format.h): UTF-8 names are
// decoded and matched in UTF-16.
void ListCabMembers(ByteSource& file, std::span<const std::uint8_t> firstHeader,
                    const MemberReading& reading);

// What WalkCabFiles hands each file record to.
class CabFileVisitor {
 public:
  // A record and its whole stored name; false ends the walk.
  virtual bool Visit(const CabFileRecord& record, std::string_view name) = 0;

 protected:
  ~CabFileVisitor() = default;
};

// The file records of a cabinet, for a reader that holds one inside its own
// container (an installer package). `file` stands just behind the fixed
// header `firstHeader`; a name longer than `room` less its terminator is
// passed over. Damage ends the walk quietly.
void WalkCabFiles(ByteSource& file, std::span<const std::uint8_t> firstHeader, std::span<char> room,
                  CabFileVisitor& visitor);
