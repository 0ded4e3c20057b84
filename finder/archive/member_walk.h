// What a reader's walk over one archive keeps at hand: the archive's bytes,
// how its members are read, the run's settings and pattern, where members go
// and how names stored as bytes are read. The LHA, RAR and tar walks derive
// from it.
#pragma once

#include "finder/archive/archive_format.h"
#include "finder/archive/byte_source.h"

class MemberWalk {
 protected:
  MemberWalk(ByteSource& file, const MemberReading& reading)
      : file_(file),
        reading_(reading),
        options_(reading.listing.options()),
        pattern_(reading.listing.pattern()),
        listing_(reading.listing),
        toLocal_(reading.toLocal),
        codes_(ByteNameCodesOf(reading)) {}

  ByteSource& file_;
  const MemberReading& reading_;
  const SearchOptions& options_;
  const SearchPattern& pattern_;
  MemberList& listing_;
  LocalTimeConverter toLocal_;
  ByteNameCodes codes_;  // of the names stored as bytes
};
