// The platform's directory-search record as the search's FileEntry.
#pragma once

#include <windows.h>

#include "finder/options/search_options.h"

FileEntry ToFileEntry(const WIN32_FIND_DATAA& data);
