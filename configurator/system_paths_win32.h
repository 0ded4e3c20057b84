// The configurator's paths at the system's edge. Inside they are UTF-8
// (PathText), so a name the ANSI code page cannot hold is still the name the
// user gave; the system gets them as UTF-16 over the wide calls, and the
// messages show them in the ANSI code page, as they always have.
#pragma once

#include <string>
#include <string_view>

#include "configurator/configurator_arguments.h"

// A command-line argument as UTF-8.
std::string Utf8Argument(const wchar_t* argument);

// The full path of `name` (UTF-8) in `path`. 0, or the system's code
// (ERROR_FILENAME_EXCED_RANGE past the platform's limit).
unsigned long FullPathOf(std::string_view name, PathText& path);

// The path of the running program's own file, in the same terms.
unsigned long OwnModulePath(PathText& path);

// True when `path` is within what the system takes (an added extension may
// have carried it past that).
bool FitsSystem(const PathText& path);

// A path as the wide calls are to get it: UTF-16, with the \\?\ prefix from
// 260 units on. A path that cannot be converted becomes empty, which every
// call refuses as it refuses a missing file.
class SystemPath {
 public:
  explicit SystemPath(const char* path);
  const wchar_t* get() const { return text_.c_str(); }

 private:
  std::wstring text_;
};

// A path as the messages show it: in the ANSI code page, converted as the
// -A calls convert names (best fit, then the default character).
std::string ShownPath(const char* path);
