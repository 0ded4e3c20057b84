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
//
// A kind may look for several names (/X:RAR=*.RAR;*.CBR), separated by
// kArchiveNameBreak: an entry matches when it matches any of them, and the
// core decides only when it decides every one.
#pragma once

#include <string_view>
#include <vector>

struct FileEntry;

class ArchiveNames {
 public:
  // `patterns` must outlive this.
  explicit ArchiveNames(std::string_view patterns);

  // Whether the core matches these names exactly (else: list with the system).
  bool decided() const { return decided_; }
  // Whether the entry's long or short name matches; only when decided().
  bool Match(const FileEntry& entry) const;

 private:
  enum class Form { System, Every, Exact, Tail };
  struct Name {
    Form form = Form::System;
    std::string_view text;  // the name, or the tail behind the star
  };
  static Name Classify(std::string_view pattern);
  static bool Matches(const Name& pattern, std::string_view name);
  std::vector<Name> names_;
  bool decided_ = true;
};

// The names of `patterns`, one by one.
std::vector<std::string_view> SplitArchiveNames(std::string_view patterns);
