// The decisions of the command runner that need no OS: what a key at the
// query means and which directory a command runs in.
#pragma once

#include <cstddef>
#include <string_view>

enum class QueryAnswer { Run, Skip, Cancel, Ignore };

// Enter or E runs, Space or S skips, Esc or C ends the run; letters in any
// case. Any other key leaves the query waiting.
QueryAnswer ClassifyQueryKey(char key);

// Where to cut `path` (a directory with its trailing backslash at
// `backslash`) to name that directory as a current directory: at the
// backslash, except in the root of a drive, where "C:" alone would mean the
// drive's current directory, so the backslash is kept.
std::size_t CommandDirectoryEnd(std::string_view path, std::size_t backslash);

// What the query line is overwritten with: 79 blanks and a carriage return.
inline constexpr std::string_view kEraseLine =
    "                                                                               \r";
