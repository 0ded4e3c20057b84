// Paths past the old 260-character limit, as the system takes them: with the
// \\?\ prefix (\\?\UNC\ for a share) the wide calls accept up to 32,767
// units, and without it Windows refuses them. The prefix is added only on
// the way to the system and taken off what comes back, so no listing, no
// command and no message ever shows it.
#pragma once

#include <cstddef>
#include <string_view>

// A path of this many UTF-16 units or more needs the prefix.
inline constexpr std::size_t kLongPathUnits = 260;
// The prefixes: "\\?\" in front of a drive path, "\\?\UNC\" in place of the
// two backslashes of a share.
inline constexpr std::size_t kLongPathPrefixUnits = 8;

// Writes `path` (a full path) as the system is to get it into `out`,
// terminated; false when it does not fit `size` units. Paths that are
// short, relative or already in a device form stay as they are.
bool ToSystemPath(std::u16string_view path, char16_t* out, std::size_t size);

// The `length` units at `path` without a prefix that ToSystemPath would
// have added; a share's prefix is rewritten in place to its two backslashes.
std::u16string_view WithoutLongPathPrefix(char16_t* path, std::size_t length);

// A directory of this many UTF-16 units or more cannot be the current
// directory of a process: the system keeps a current directory with its
// closing backslash within 260 units, the terminator included.
inline constexpr std::size_t kCurrentDirectoryUnits = 259;
