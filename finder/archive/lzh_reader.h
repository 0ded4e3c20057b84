// Lists the matching members of one LHA archive (.LZH), header levels 0, 1
// and 2, reading only the member headers and skipping the data by seeking.
#pragma once

#include "finder/archive/byte_source.h"
#include "finder/archive/lzh_reader_headers.h"
#include "finder/archive/member_listing.h"

// `file` stands at the start of the archive. Members are matched against
// searchState.savedPattern, filtered by the criteria of searchState.options
// and handed to `sink`; `toLocal` gives the local time of level-2 stamps.
// Any damage ends the listing quietly: members listed before it stay listed.
void ListLzhMembers(ByteSource& file, MemberSink& sink, LocalTimeConverter toLocal);

// The same onto standard output and the user's command, with the C
// runtime's local time (the program's edge).
void ListLzhMembers(ByteSource& file);
