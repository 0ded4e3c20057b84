// Lists the matching files of one Microsoft Cabinet file, reading only the
// cabinet header and the file records.
#pragma once

#include <cstddef>

#include "finder/archive/byte_source.h"
#include "finder/archive/member_listing.h"
#include "finder/archive/utf8_member_name.h"

// `file` stands at the start of the cabinet. Names without the UTF-8 mark are
// matched against searchState.savedPattern; UTF-8 names are decoded, matched
// against searchState.savedPatternWide and shown through `toAnsi`. Filtered
// by the criteria of searchState.options and handed to `sink`. Any damage
// ends the listing quietly: files listed before it stay listed.
void ListCabMembers(ByteSource& file, MemberSink& sink, AnsiConverter toAnsi);

// The same onto standard output and the user's command, converting with the
// system's ANSI code page (the program's edge).
void ListCabMembers(ByteSource& file);
