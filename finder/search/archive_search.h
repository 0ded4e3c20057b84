// The archive passes of one directory (/L, /Z, /C).
#pragma once

#include <cstddef>

enum class ArchiveKind { Lzh, Zip, Cab };

// Finds the archives of one kind in the directory that stands in searchPath
// in front of `namePosition`, and lists each one's matching members. Returns
// 0, or a system error code already reported that ends the run.
int SearchArchives(ArchiveKind kind, std::size_t namePosition);
