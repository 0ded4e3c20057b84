#include "finder/archive/zip_reader.h"

void ListZipMembers(ByteSource& file) {
  ListZipMembers(file, StandardMemberSink(), ToAnsiCodePage);
}
