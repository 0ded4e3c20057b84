// Lists the matching members of one LHA archive (.LZH), header levels 0 to
// 3, reading only the member headers and skipping the data by seeking.
#pragma once

#include "finder/archive/byte_source.h"
#include "finder/archive/lzh_reader_headers.h"
#include "finder/archive/member_listing.h"
#include "finder/archive/utf8_member_name.h"

// `file` stands at the start of the archive. Members are matched against
// searchState.savedPattern, filtered by the criteria of searchState.options
// and handed to `sink`; `toLocal` gives the local time of the UTC stamps of
// levels 2 and 3. Names stored in UTF-16 are matched against
// searchState.savedPatternWide and shown through `toAnsi`. Any damage ends
// the listing quietly: members listed before it stay listed.
void ListLzhMembers(ByteSource& file, MemberSink& sink, LocalTimeConverter toLocal,
                    AnsiConverter toAnsi);

// The same onto standard output and the user's command, with the C
// runtime's local time and the system's ANSI code page (the program's edge).
void ListLzhMembers(ByteSource& file);
