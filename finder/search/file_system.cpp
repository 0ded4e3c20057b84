#include "finder/search/file_system.h"

ListingVerdict JudgeListing(ListingStatus status, bool topDirectory) {
  if (status.code == 0) return ListingVerdict::Complete;
  if (status.opened) return ListingVerdict::StopRun;
  if (status.code == kErrorFileNotFound || status.code == kErrorPathNotFound)
    return ListingVerdict::Missing;
  return topDirectory ? ListingVerdict::StopRun : ListingVerdict::PassOver;
}

void ReportListing(RunStop& stop, TextWriter& errors, ListingVerdict verdict, std::uint32_t code) {
  if (verdict == ListingVerdict::StopRun) stop.Fail(errors, code);
  if (verdict == ListingVerdict::PassOver) stop.Note(errors, code);
}
