// The link-loop guard of the walk. A subdirectory that is a junction or a
// symbolic link may lead to a directory the walk is already inside, and
// following it would search that directory again and again until the path
// no longer fits. The walk keeps the directories of its current path here,
// one level per directory whose subdirectories it is walking, and asks
// IsOnPath for each link it meets; a link to a sibling or anywhere else is
// not on the path and is followed as any directory.
//
// The identities of the levels are read only when a link is met, and then
// only those not read before: a walk that meets no link reads none, and an
// ordinary directory costs a level's name position and nothing more.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// What tells two names of one directory apart from two directories: the
// volume serial number and the file index.
struct DirectoryIdentity {
  std::uint32_t volume = 0;
  std::uint64_t index = 0;
  bool operator==(const DirectoryIdentity&) const = default;
};

class PathIdentities {
 public:
  // Reads the identity of the directory that stands in front of
  // `namePosition` (its path and a backslash); false when it cannot be read.
  using Reader = std::function<bool(std::size_t namePosition, DirectoryIdentity& identity)>;

  // One level of the path, for as long as the walk is inside that directory.
  class Level {
   public:
    Level(PathIdentities& path, std::size_t namePosition) : path_(path) {
      path_.levels_.push_back({namePosition, {}});
    }
    ~Level() {
      path_.levels_.pop_back();
      if (path_.known_ > path_.levels_.size()) path_.known_ = path_.levels_.size();
    }
    Level(const Level&) = delete;
    Level& operator=(const Level&) = delete;

   private:
    PathIdentities& path_;
  };

  // True when `target` (the directory a link leads to) is one of the levels.
  // A level whose identity cannot be read counts as no match, and is tried
  // again at the next link.
  bool IsOnPath(const DirectoryIdentity& target, const Reader& read);

 private:
  struct Entry {
    std::size_t namePosition;
    DirectoryIdentity identity;
  };
  std::vector<Entry> levels_;
  std::size_t known_ = 0;  // levels_[0, known_) have their identity read
};
