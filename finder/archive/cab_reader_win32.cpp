// The Cabinet reader on the real output.
#include "finder/archive/cab_reader.h"

void ListCabMembers(ByteSource& file) {
  ListCabMembers(file, StandardMemberSink(), ToAnsiCodePage);
}
