// The file version recorded in an executable's version resource.
#pragma once

#include <cstdint>

// The file version's major (upper 16 bits) and minor number, or 0 after a
// message on standard error when the file does not exist or carries no
// readable version ("Error Code : %d" with the system's code). A version
// resource without its root block also gives 0, without a message.
// `path` is a full path in UTF-8.
std::uint32_t ReadFileVersion(const char* path);
