// The platform's directory-search record as the search's FileEntry.
#pragma once

#include <windows.h>

#include <cstdint>

#include "finder/options/search_options.h"

FileEntry ToFileEntry(const WIN32_FIND_DATAA& data);

// A FILETIME in UTC as the user's clock showed it (the system's zone, or
// TZ under Wine); the UTC time itself when the system cannot convert it.
std::uint64_t LocalFileTime(std::uint64_t utcFileTime);
