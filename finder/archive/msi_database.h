// The database of a Windows Installer package (.MSI, .MSM, .MSP), as its
// compound file holds it: each table a stream, the strings of all of them in
// one pool, the tables' columns in the catalogue table _Columns.
//
// Stream names are packed: two characters of [0-9A-Za-z._] in one UTF-16
// unit of 0x3800-0x47FF (the first in the low six bits), one alone in
// 0x4800-0x483F, and 0x4840 in front of a table's name ("!File" here).
//
// _StringPool: a header of two 16-bit words (the database's code page, and
// in bit 15 of the second word the flag of 3-byte string references), then
// a (length, reference count) pair of 16-bit words for each string id from
// 1; a pair (0, n) with n != 0 puts the length of a string of 64 KiB or
// more in the pair behind it. _StringData: the strings' bytes, one behind
// the other, in the database's code page. Id 0 is the null string.
//
// A table's stream holds its rows column by column: every row's value of
// the first column, then of the second, and so on; the row count is the
// stream's size over the row's width. A string column holds string ids (2
// bytes, or 3 with the flag), an integer column 2 or 4 bytes with its top
// bit flipped (0 is null).
//
// _Columns: Table (string), Number (2 bytes), Name (string), Type (2 bytes:
// its size in the low byte, 0x0800 a string, 0x0900 with nothing else a
// binary stream of 2 bytes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "finder/archive/compound_file.h"

// A table or stream name unpacked; a unit outside the packed ranges is kept
// (in UTF-8), 0x4840 becomes "!".
std::string DecodeMsiStreamName(std::u16string_view name);

class MsiStringPool {
 public:
  // False when the pool is damaged; strings behind a length that runs past
  // the data are missing, as in the installer's own reader.
  bool Load(const std::vector<std::uint8_t>& pool, std::vector<std::uint8_t> data);
  std::uint32_t codePage() const { return codePage_; }
  std::size_t referenceSize() const { return referenceSize_; }
  // The string of `id`; false for an id beyond the pool.
  bool Get(std::uint32_t id, std::string_view& text) const;

 private:
  std::uint32_t codePage_ = 0;
  std::size_t referenceSize_ = 2;
  std::vector<std::uint8_t> data_;
  std::vector<std::uint32_t> offsets_;  // where each id's string begins, and one behind the last
};

class MsiTable {
 public:
  struct Column {
    std::string_view name;  // in the string pool
    std::size_t width = 0;  // bytes of one value
    std::size_t block = 0;  // where its values begin in the stream
  };
  std::size_t rows() const { return rows_; }
  // The column named `name`, or none.
  std::optional<std::size_t> Find(std::string_view name) const;
  // A value as stored: a string id, or an integer with its top bit flipped.
  std::uint32_t Raw(std::size_t row, std::size_t column) const;
  // An integer column's value; 0 for null.
  std::int64_t Integer(std::size_t row, std::size_t column) const;

 private:
  friend class MsiDatabase;
  std::vector<Column> columns_;
  std::vector<std::uint8_t> bytes_;
  std::size_t rows_ = 0;
};

class MsiDatabase {
 public:
  explicit MsiDatabase(CompoundFile& file) : file_(file) {}
  // Finds the root's streams and reads the string pool and the catalogue.
  bool Open();
  const MsiStringPool& strings() const { return strings_; }
  // The table `name` (an empty one when the package has none); false when
  // it is damaged or too large.
  bool LoadTable(std::string_view name, MsiTable& table);
  // The root's stream of that (unpacked) name, or null.
  const CompoundEntry* Stream(std::string_view name) const;

 private:
  CompoundFile& file_;
  std::vector<std::pair<std::string, std::uint32_t>> streams_;  // names and entries
  MsiStringPool strings_;
  MsiTable columns_;
};
