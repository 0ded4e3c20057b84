// The search path buffer: its split into directory and name pattern, and the
// bounded writes behind a directory's name position.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string_view>

struct PathSplit {
  bool namesShare = true;        // false: a \\computer path without a shared directory
  std::size_t namePosition = 0;  // behind the directory part's last backslash
};

// Splits a full path as the platform forms it (C:\DIR\*.TXT, \\PC\SHARE\*.TXT).
// A leading drive letter is turned to upper case in place. The path is UTF-8,
// where every 0x5C byte is a backslash of its own.
PathSplit SplitSearchPath(char* path);

// Writes `parts` one after the other at `namePosition` of the `size`-byte
// buffer `path` and terminates them. Returns false, leaving the buffer as it
// was, when they do not fit with their terminator.
bool WriteAtNamePosition(char* path, std::size_t size, std::size_t namePosition,
                         std::initializer_list<std::string_view> parts);
