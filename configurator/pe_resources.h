// The resources of an executable file, found by walking its own headers
// (MS-DOS header, PE header, section table, the ".rsrc" section's resource
// directory) in the file's bytes, never by loading the file as a program:
// so a file is read the same way whatever its path, and nothing of it runs.
//
// Every offset and length read from the file is checked against the bytes
// actually there: a damaged or foreign file gives "not found", never a read
// outside the image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

inline constexpr std::uint32_t kStringResource = 6;
inline constexpr std::uint32_t kVersionResource = 16;

// Little-endian values out of the file; a value that would pass the end
// reads as absent.
class ImageBytes {
 public:
  explicit ImageBytes(std::span<const std::uint8_t> data) : data_(data) {}

  bool Has(std::size_t offset, std::size_t size) const {
    return offset <= data_.size() && size <= data_.size() - offset;
  }
  std::optional<std::uint16_t> U16(std::size_t offset) const {
    if (!Has(offset, 2)) return std::nullopt;
    return static_cast<std::uint16_t>(data_[offset] | data_[offset + 1] << 8);
  }
  std::optional<std::uint32_t> U32(std::size_t offset) const {
    if (!Has(offset, 4)) return std::nullopt;
    return static_cast<std::uint32_t>(data_[offset]) | data_[offset + 1] << 8 |
           data_[offset + 2] << 16 | static_cast<std::uint32_t>(data_[offset + 3]) << 24;
  }
  const std::uint8_t* At(std::size_t offset) const { return data_.data() + offset; }

 private:
  std::span<const std::uint8_t> data_;
};

// One resource's data: where its data entry (the directory's descriptor:
// data address, size) lies in the file, what it says, and where the data
// lies in the file. The data lies wholly inside the file.
inline constexpr std::size_t kResourceDataEntrySize = 16;
struct ResourceData {
  std::size_t entryOffset = 0;
  std::uint32_t address = 0;  // relative to the image
  std::uint32_t size = 0;
  std::size_t dataOffset = 0;
};

// Why a resource is not there, as the system's resource loader reports it.
enum class ResourceMiss : unsigned long {
  kNoResources = 1812,  // no resource section, or its data is damaged
  kNoType = 1813,
  kNoName = 1814,
};

struct DirectoryEntry {
  std::uint32_t name;
  std::uint32_t offset;  // top bit: a subdirectory
};

// The resource tree of an image, its walk confined to the ".rsrc" section's
// raw data. Directory offsets count from the root directory (offset 0).
class ResourceTree {
 public:
  explicit ResourceTree(std::span<const std::uint8_t> image);

  // The number of entries of the directory at `offset`, first the named
  // ones (their number in `named`), then the id ones; nothing when the
  // directory does not lie inside the section.
  std::optional<std::size_t> EntryCount(std::uint32_t offset, std::size_t* named) const;
  // Entry `index` of a directory whose EntryCount() is more than `index`.
  DirectoryEntry Entry(std::uint32_t directory, std::size_t index) const;

  // The directory of the id entry `id` inside `directory`, when there is one.
  std::optional<std::uint32_t> Subdirectory(std::uint32_t directory, std::uint32_t id) const;

  // The data that a name entry leads to: directly, or as the first language
  // of its language directory.
  std::optional<ResourceData> Data(const DirectoryEntry& entry) const;

  // The resource `id` of type `type`, in its first language.
  std::optional<ResourceData> Find(std::uint32_t type, std::uint32_t id, ResourceMiss& miss) const;

 private:
  bool Inside(std::uint32_t offset, std::size_t size) const;

  ImageBytes file_;
  bool found_ = false;
  std::uint32_t address_ = 0;  // the section's, relative to the image
  std::uint32_t rawSize_ = 0;
  std::size_t rawPosition_ = 0;
};

// String `id` of the image's string table, as the system's string loader
// finds it: the (id % 16)-th counted string of block id / 16 + 1. An empty
// string is no string (string tables store the ids they skip as empty
// ones), and neither is one that does not lie inside its block.
std::optional<std::u16string> LoadResourceString(std::span<const std::uint8_t> image, unsigned id,
                                                 ResourceMiss& miss);
