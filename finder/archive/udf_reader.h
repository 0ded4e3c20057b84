// The UDF volume of a disc image, which the disc image reader (iso_reader.h)
// lists in preference to the ISO 9660 tree beside it when the image's volume
// recognition sequence names one (NSR02 or NSR03).
#pragma once

#include "finder/archive/byte_source.h"
#include "finder/archive/disc_members.h"

// Lists the files of the UDF volume of `file`. False when no volume could be
// found (no valid anchor, descriptor sequence, partition or file set): the
// caller may then list the ISO 9660 tree. Once the root folder has been
// found, true, whatever damage later ends the listing.
bool ListUdfVolume(ByteSource& file, DiscMembers& members);
