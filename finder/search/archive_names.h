// The archive names a kind looks for (*.ZIP, or a name given with its
// option), matched in the core against the entries of one directory listing,
// so that every archive kind and the subdirectories share one enumeration.
//
// The core decides only where its answer is exactly the system's: a name
// without wildcards (NAME.EXT), a star followed by such a name (*.EXT, *.TAR.GZ)
// and the patterns that take every name (*, *.*), in printable ASCII, not
// ending in a dot or a blank (which the system strips). Either holds exactly
// when the entry's long or short name equals the text, or ends in the tail,
// with letters compared as the system's upper-case table compares them. Any
// other pattern keeps the system's own listing.
#pragma once

#include <string_view>

struct FileEntry;

class ArchiveNames {
 public:
  explicit ArchiveNames(std::string_view pattern);

  // Whether the core matches this pattern exactly (else: list with the system).
  bool decided() const { return form_ != Form::System; }
  // Whether the entry's long or short name matches; only when decided().
  bool Match(const FileEntry& entry) const;

 private:
  enum class Form { System, Every, Exact, Tail };
  bool Matches(std::string_view name) const;
  Form form_ = Form::System;
  std::string_view text_;  // the name, or the tail behind the star
};
