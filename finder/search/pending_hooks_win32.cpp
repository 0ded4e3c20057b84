// Stand-ins for the parts of the search that are still being built. Each
// definition leaves this file when its real one lands.
#include "finder/search/command_runner.h"
#include "finder/search/program_lookup.h"

// finder/archive/lzh_reader.h, cab_reader.h: the readers' Windows entries
class ByteSource;
void ListLzhMembers(ByteSource&) {}
void ListCabMembers(ByteSource&) {}

// finder/search/command_runner.h
void RunCommandForFile(const FileEntry&, std::size_t) {}
void RunCommandForMember(std::string_view) {}

// finder/search/program_lookup.h
void FindProgram() {}
