#include "finder/search/file_system.h"

ListingVerdict JudgeListing(ListingStatus status, bool topDirectory) {
  if (status.code == 0) return ListingVerdict::Complete;
  if (status.opened) return ListingVerdict::StopRun;
  // A subdirectory can go while the walk is on its way to it. The top
  // directory was named by the user: its absence is an error for scripts to
  // see, not an empty result.
  if (status.code == kErrorFileNotFound || (status.code == kErrorPathNotFound && !topDirectory))
    return ListingVerdict::Missing;
  return topDirectory ? ListingVerdict::StopRun : ListingVerdict::PassOver;
}

void ReportListing(RunStop& stop, TextWriter& errors, ListingVerdict verdict, std::uint32_t code) {
  if (verdict == ListingVerdict::StopRun) stop.Fail(errors, code);
  if (verdict == ListingVerdict::PassOver) stop.Note(errors, code);
}
