#include "finder/archive/udf_reader.h"

bool ListUdfVolume(ByteSource&, DiscMembers&) {
  return false;
}
