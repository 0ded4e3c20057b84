// The times of the platform's directory-search records.
#pragma once

#include <cstdint>

// A FILETIME in UTC as the user's clock showed it (the system's zone, or
// TZ under Wine); the UTC time itself when the system cannot convert it.
std::uint64_t LocalFileTime(std::uint64_t utcFileTime);
