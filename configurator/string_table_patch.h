// Finding TLVC's message table inside its executable file and rewriting one
// text of it in place.
//
// The table is found through the file's resource directory (pe_resources.h),
// so the rewrite needs no resource compiler and keeps the file's size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "configurator/pe_resources.h"

// The two blocks of the message table. Block 2's data lies directly behind
// block 1's, so the table is one run of counted strings.
struct StringTableLocation {
  ResourceData first;
  ResourceData second;
  std::size_t Begin() const { return first.dataOffset; }
  std::size_t End() const { return first.dataOffset + first.size + second.size; }
};

// The message table of the executable in `image`, or nothing when the file
// is not a PE file, has no ".rsrc" section or no string table, when block 1 is
// not followed directly by block 2, or when the counted strings of ids 0-31 do
// not fit inside the two blocks with every slot holding 80 code units.
std::optional<StringTableLocation> FindStringTable(std::span<const std::uint8_t> image);

enum class PatchResult {
  kWritten,
  kTooLong,     // more than 79 code units: nothing written
  kOutOfRange,  // not a text id, or its slot does not lie inside the table
};

// Writes `text` as the text of message `id` (an odd id 1-25) into its slot:
// the text's length word, its code units and the spacer's length word
// (80 - length). The spacer's characters stay as they are. When the text of
// id 15, the last string of block 1, changes its length, block 1's size and
// block 2's data address and size in the resource directory follow it, so
// that the system's string loader still finds every string.
PatchResult WriteMessageText(std::span<std::uint8_t> image, StringTableLocation& table, unsigned id,
                             std::u16string_view text);

// The text of message `id` (an odd id 1-25) as its slot holds it now; nothing
// when the id is no text id or its slot does not lie inside the table.
std::optional<std::u16string> ReadMessageText(std::span<const std::uint8_t> image,
                                              const StringTableLocation& table, unsigned id);
