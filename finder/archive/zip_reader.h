// Listing the members of a ZIP archive.
#pragma once

#include "finder/archive/byte_source.h"
#include "finder/archive/member_listing.h"
#include "finder/archive/utf8_member_name.h"

// Lists the members of the ZIP archive in `file` (positioned at its start)
// whose name part matches searchState.savedPattern and that pass the
// criteria, through `sink`. Names stored in UTF-8 are matched against
// searchState.savedPatternWide and shown through `toAnsi`. Reads headers
// only. Damage of any kind ends the listing quietly; members already listed
// stay listed and counted.
void ListZipMembers(ByteSource& file, MemberSink& sink, AnsiConverter toAnsi);

// The same onto standard output and the user's command (the program's edge).
void ListZipMembers(ByteSource& file);
