#include "finder/search/path_identities.h"

bool PathIdentities::IsOnPath(const DirectoryIdentity& target, const Reader& read) {
  for (std::size_t level = 0; level < levels_.size(); ++level) {
    Entry& entry = levels_[level];
    if (level >= known_) {
      if (!read(entry.namePosition, entry.identity)) continue;
      // Only an unbroken run from the top counts as known: a level that
      // failed is read again next time.
      if (level == known_) ++known_;
    }
    if (entry.identity == target) return true;
  }
  return false;
}
