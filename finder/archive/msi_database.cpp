#include "finder/archive/msi_database.h"

#include <algorithm>

#include "finder/archive/byte_reader.h"

namespace {

// Nothing a hostile header says makes the reader hold more: a package of
// tens of thousands of files has a pool of some hundreds of KiB and tables
// of a few MiB.
constexpr std::size_t kPoolLimit = 8 << 20;
constexpr std::size_t kStringDataLimit = 32 << 20;
constexpr std::size_t kTableLimit = 32 << 20;
// A table has at most 32 columns.
constexpr std::size_t kColumnLimit = 32;

constexpr char16_t kTablePrefix = 0x4840;
constexpr char16_t kPackedPair = 0x3800;
constexpr char16_t kPackedSingle = 0x4800;

constexpr std::uint32_t kTypeString = 0x0800;
constexpr std::uint32_t kTypeValid = 0x0100;
constexpr std::uint32_t kTypeNullable = 0x1000;

char Unpacked(unsigned value) {
  if (value < 10) return static_cast<char>('0' + value);
  if (value < 36) return static_cast<char>('A' + value - 10);
  if (value < 62) return static_cast<char>('a' + value - 36);
  return value == 62 ? '.' : '_';
}

void AppendUtf8(std::string& out, char16_t unit) {
  if (unit < 0x80) {
    out += static_cast<char>(unit);
  } else if (unit < 0x800) {
    out += static_cast<char>(0xC0 | unit >> 6);
    out += static_cast<char>(0x80 | (unit & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | unit >> 12);
    out += static_cast<char>(0x80 | (unit >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (unit & 0x3F));
  }
}

std::uint32_t Word(const std::vector<std::uint8_t>& bytes, std::size_t index) {
  ByteReader in(bytes);
  return in.U16At(2 * index);
}

// Bytes of one value of a column of `type`.
std::size_t ColumnWidth(std::uint32_t type, std::size_t referenceSize) {
  if ((type & ~kTypeNullable) == (kTypeString | kTypeValid)) return 2;  // a binary stream
  if (type & kTypeString) return referenceSize;
  return (type & 0xFF) <= 2 ? 2 : 4;
}

}  // namespace

std::string DecodeMsiStreamName(std::u16string_view name) {
  std::string out;
  for (char16_t unit : name) {
    if (unit == kTablePrefix) {
      out += '!';
    } else if (unit >= kPackedPair && unit < kPackedSingle) {
      const unsigned packed = unit - kPackedPair;
      out += Unpacked(packed & 0x3F);
      out += Unpacked(packed >> 6 & 0x3F);
    } else if (unit >= kPackedSingle && unit < kTablePrefix) {
      out += Unpacked(unit - kPackedSingle);
    } else {
      AppendUtf8(out, unit);
    }
  }
  return out;
}

bool MsiStringPool::Load(const std::vector<std::uint8_t>& pool, std::vector<std::uint8_t> data) {
  data_ = std::move(data);
  offsets_.assign(2, 0);  // the null string
  if (pool.size() < 4) return true;
  codePage_ = Word(pool, 0) | (Word(pool, 1) & 0x7FFF) << 16;
  referenceSize_ = (Word(pool, 1) & 0x8000) ? 3 : 2;
  const std::size_t count = pool.size() / 4;
  offsets_.reserve(count + 1);
  std::uint64_t offset = 0;
  for (std::size_t i = 1; i < count;) {
    std::uint64_t length = Word(pool, 2 * i);
    if (length == 0 && Word(pool, 2 * i + 1) != 0) {
      // A string of 64 KiB or more: its length in the pair behind.
      if (i + 1 >= count) break;
      length = Word(pool, 2 * i + 2) | std::uint64_t{Word(pool, 2 * i + 3)} << 16;
      i += 2;
    } else {
      i += 1;
    }
    if (length > data_.size() - offset) break;
    offset += length;
    offsets_.push_back(static_cast<std::uint32_t>(offset));
  }
  return true;
}

bool MsiStringPool::Get(std::uint32_t id, std::string_view& text) const {
  if (std::size_t{id} + 1 >= offsets_.size()) return false;
  text = {reinterpret_cast<const char*>(data_.data()) + offsets_[id],
          offsets_[id + 1] - offsets_[id]};
  return true;
}

std::optional<std::size_t> MsiTable::Find(std::string_view name) const {
  for (std::size_t i = 0; i < columns_.size(); ++i)
    if (columns_[i].name == name) return i;
  return std::nullopt;
}

std::uint32_t MsiTable::Raw(std::size_t row, std::size_t column) const {
  if (row >= rows_ || column >= columns_.size()) return 0;
  const Column& at = columns_[column];
  const std::size_t offset = at.block + row * at.width;
  std::uint32_t value = 0;
  for (std::size_t i = at.width; i-- > 0;) value = value << 8 | bytes_[offset + i];
  return value;
}

std::int64_t MsiTable::Integer(std::size_t row, std::size_t column) const {
  const std::uint32_t raw = Raw(row, column);
  if (raw == 0 || column >= columns_.size()) return 0;
  return columns_[column].width == 2 ? std::int64_t{raw} - 0x8000 : std::int64_t{raw} - 0x80000000;
}

bool MsiDatabase::Open() {
  for (std::uint32_t id : file_.RootChildren()) {
    const CompoundEntry& entry = file_.entries()[id];
    if (entry.type == kCompoundStream) streams_.emplace_back(DecodeMsiStreamName(entry.Name()), id);
  }
  std::vector<std::uint8_t> pool, data;
  const CompoundEntry* poolStream = Stream("!_StringPool");
  const CompoundEntry* dataStream = Stream("!_StringData");
  if (poolStream && (!file_.ReadStream(*poolStream, kPoolLimit, pool) || !dataStream ||
                     !file_.ReadStream(*dataStream, kStringDataLimit, data)))
    return false;
  if (!strings_.Load(pool, std::move(data))) return false;

  // The catalogue's own layout is fixed.
  const CompoundEntry* catalogue = Stream("!_Columns");
  if (!catalogue || !file_.ReadStream(*catalogue, kTableLimit, columns_.bytes_)) return false;
  const std::size_t reference = strings_.referenceSize();
  const std::size_t widths[] = {reference, 2, reference, 2};
  columns_.rows_ = columns_.bytes_.size() / (2 * reference + 4);
  std::size_t block = 0;
  for (std::size_t width : widths) {
    columns_.columns_.push_back({{}, width, block});
    block += width * columns_.rows_;
  }
  return true;
}

const CompoundEntry* MsiDatabase::Stream(std::string_view name) const {
  for (const auto& [streamName, id] : streams_)
    if (streamName == name) return &file_.entries()[id];
  return nullptr;
}

bool MsiDatabase::LoadTable(std::string_view name, MsiTable& table) {
  table = MsiTable{};
  std::string streamName(1, '!');
  streamName += name;
  const CompoundEntry* stream = Stream(streamName);
  if (!stream) return true;
  // The table's columns from the catalogue, in their order.
  std::vector<std::uint32_t> types;
  for (std::size_t row = 0; row < columns_.rows(); ++row) {
    std::string_view tableName, columnName;
    if (!strings_.Get(columns_.Raw(row, 0), tableName)) return false;
    if (tableName != name) continue;
    const std::int64_t number = columns_.Integer(row, 1);
    if (number < 1 || number > static_cast<std::int64_t>(kColumnLimit) ||
        !strings_.Get(columns_.Raw(row, 2), columnName))
      return false;
    const auto index = static_cast<std::size_t>(number - 1);
    if (index >= table.columns_.size()) {
      table.columns_.resize(index + 1);
      types.resize(index + 1);
    }
    table.columns_[index].name = columnName;
    types[index] = columns_.Raw(row, 3) ^ 0x8000;
  }
  std::size_t rowWidth = 0;
  for (std::size_t i = 0; i < types.size(); ++i) {
    if (table.columns_[i].name.empty()) return false;  // a column missing from the catalogue
    table.columns_[i].width = ColumnWidth(types[i] & 0xFFFF, strings_.referenceSize());
    rowWidth += table.columns_[i].width;
  }
  if (rowWidth == 0 || !file_.ReadStream(*stream, kTableLimit, table.bytes_)) return false;
  table.rows_ = table.bytes_.size() / rowWidth;
  std::size_t block = 0;
  for (MsiTable::Column& column : table.columns_) {
    column.block = block;
    block += column.width * table.rows_;
  }
  return true;
}
