#include "finder/archive/inner_archives.h"

#include <memory>
#include <string>

#include "finder/archive/wildcard.h"
#include "finder/archive/window_byte_source.h"

namespace {

SearchPattern MakeEveryMemberName() {
  SearchPattern every;
  every.text[0] = every.ansi[0] = '*';
  every.wide[0] = u'*';
  return every;
}

// Whether `name` matches one of the kind's archive names, separated by
// kArchiveNameBreak; each is matched as a member name is.
bool MatchesArchiveNames(std::string_view patterns, const char* name) {
  std::string pattern;
  while (!patterns.empty()) {
    const std::size_t end = std::min(patterns.find(kArchiveNameBreak), patterns.size());
    pattern.assign(patterns.substr(0, end));
    if (!pattern.empty() && MatchWildcard(pattern.c_str(), name)) return true;
    patterns.remove_prefix(std::min(end + 1, patterns.size()));
  }
  return false;
}

}  // namespace

const SearchPattern& EveryMemberName() {
  static const auto every = std::make_unique<SearchPattern>(MakeEveryMemberName());
  return *every;
}

const ArchiveFormat* InnerArchiveKind(const SearchOptions& options, std::string_view listedName) {
  const std::string part(listedName.substr(listedName.rfind('\\') + 1));
  if (part.find('\0') != std::string::npos) return nullptr;
  for (const ArchiveFormat& format : kArchiveFormats) {
    const ArchiveWant& want = WantOf(options, format);
    if (want.wanted && MatchesArchiveNames(want.pattern.view(), part.c_str())) return &format;
  }
  return nullptr;
}

bool ListInnerArchive(ByteSource& file, const MemberReading& reading, std::string_view listedName,
                      std::uint64_t offset, std::uint64_t size) {
  MemberList& outer = reading.listing;
  if (!outer.OpensInner()) return true;
  const ArchiveFormat* format = InnerArchiveKind(outer.options(), listedName);
  std::uint64_t fileSize = 0;
  if (!format || !file.Size(fileSize) || offset > fileSize || size > fileSize - offset) return true;
  const std::unique_ptr<MemberList> inner = outer.Inner(listedName, format->style);
  if (!inner) return true;
  const std::uint64_t back = file.Position();
  WindowByteSource window(file, offset, size);
  ListArchiveMembers(*format, window,
                     {*inner, reading.toLocal, reading.fromOem, reading.fromCodePage});
  return !outer.Stopped() && SkipTo(file, back);
}
