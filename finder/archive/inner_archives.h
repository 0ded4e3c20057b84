// Archives stored inside archives (/M): a member stored whole, without
// compression, whose name is an archive name of a kind the run looks inside,
// is read in place through a window over the outer archive's bytes, and its
// members are listed behind the outer member's name, to the levels /M gives.
// A member that is compressed, or stored in pieces, is listed as it is and
// not opened.
#pragma once

#include <cstdint>
#include <string_view>

#include "finder/archive/archive_format.h"
#include "finder/archive/byte_source.h"
#include "finder/records/run_context.h"

// The pattern every member name matches, for the name of a member that is
// opened whatever the run's pattern.
const SearchPattern& EveryMemberName();

// The kind, among those the run looks inside, whose archive names the name
// part of `listedName` (a member's name as listed, "\" between folders)
// matches; null when there is none.
const ArchiveFormat* InnerArchiveKind(const SearchOptions& options, std::string_view listedName);

// Lists the members of the archive `listedName` stored whole at `offset` of
// `file` in `size` bytes, when its kind is one the run looks inside, and puts
// `file` back where it stood. Bytes that do not lie inside `file`, or a file
// that cannot tell its size (a stream being decompressed, which cannot be
// gone back in), open nothing. False when the outer archive cannot go on:
// the run has stopped, or the file could not be put back.
bool ListInnerArchive(ByteSource& file, const MemberReading& reading, std::string_view listedName,
                      std::uint64_t offset, std::uint64_t size);
