// What the options mean together, once all three layers are read.
#pragma once

#include <string_view>

#include "finder/records/search_options.h"

// Settles `options` for the run: with an archive kind on, the tables show
// member lines, which have one layout (form 2 becomes 1: its short names do
// not exist there), and a command runs for members only (not under /E, which
// finds no members); details are read where an attribute criterion or a
// table needs them; /P pauses only when standard output is a console
// (`outputIsConsole`): output redirected to a file or pipe has no screen to
// fill and nobody to press a key. Returns the message that refuses the run
// (its status is 2), or nothing: /E takes a name without wildcards.
std::string_view SettleOptions(SearchOptions& options, bool outputIsConsole);
