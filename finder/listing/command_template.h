// Expansion of the command template for a found file or archive member.
//
// The template has had its option codes ($C $I $Q $S) taken out when it was
// read; what is left holds per-entry codes, "$" and one letter in any case:
//   $$ a "$"   $D drive   $P directory without drive   $N name without extension
//   $E extension   $F full path (files only)   $A archive name (members only)
// An unknown code stays in a file's command and is dropped from a member's.
#pragma once

#include <functional>
#include <string_view>

#include "finder/records/search_options.h"

// Gives the short (8.3) form of an existing path; on failure `shortPath`
// is left holding the long path, so the expansion always has a path to use.
using ShortPathFunction = std::function<void(std::string_view longPath, LongPathText& shortPath)>;

struct FileTemplateInput {
  std::string_view directory;  // the file's directory with its trailing backslash
  std::string_view longName;
  std::string_view shortName;  // empty when the long name is a valid 8.3 name
};

// Each returns false when the command does not fit `expanded` (the
// platform's command line); such a command must not be run, as it would be cut.
bool ExpandCommandTemplate(std::string_view commandTemplate, const FileTemplateInput& file,
                           bool shortNames, const ShortPathFunction& shortPath,
                           CommandLineText& expanded);

// `archivePath` is the archive's full path; in the short listing form the
// caller's buffer holds " : " and the member name behind it, which is ignored.
bool ExpandMemberTemplate(std::string_view commandTemplate, std::string_view archivePath,
                          std::string_view memberName, bool shortNames,
                          const ShortPathFunction& shortPath, CommandLineText& expanded);
