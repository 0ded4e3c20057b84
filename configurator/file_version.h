// The file version that an executable's version resource records, read from
// the file's bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

// The file version's major (upper 16 bits) and minor number from the fixed
// part of the version resource (id 1, its first language). 0 when the
// resource holds no fixed part; nothing when the image has no readable
// version resource (not a PE file, no such resource, its data outside the
// file).
std::optional<std::uint32_t> FileVersionOf(std::span<const std::uint8_t> image);
