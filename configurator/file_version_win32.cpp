#include "configurator/file_version_win32.h"

#include <windows.h>

#include <optional>

#include "common/error_code.h"
#include "common/standard_streams.h"
#include "configurator/file_version.h"
#include "configurator/mapped_file_win32.h"
#include "configurator/system_paths_win32.h"

std::uint32_t ReadFileVersion(const char* path) {
  SystemPath system(path);
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(system.get(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    StdErr().Printf("%s is not found.\n", ShownPath(path).c_str());
    return 0;
  }
  FindClose(search);

  // From the file's bytes, as mode R takes the texts: loading the file as a
  // module, which the system's version query tries first, fails on paths of
  // 260 characters and more.
  std::optional<MappedFile> image;
  if (unsigned long code = MapForReading(path, image)) {
    WriteErrorCode(StdErr(), code);
    return 0;
  }
  auto version = FileVersionOf(image->Bytes());
  if (!version) {
    WriteErrorCode(StdErr(), ERROR_RESOURCE_DATA_NOT_FOUND);
    return 0;
  }
  return *version;
}
