// What the two file systems of a disc image (ISO 9660 and UDF, the kind ISO)
// share once a member is found: its stamp made local, the filters, the match
// of its name and the listing. Both readers keep the path of the folder they
// are in as text, UTF-8 where the disc stores names in a Unicode form (Joliet,
// UDF) and as stored bytes otherwise (plain and Rock Ridge names), folders
// separated by "\".
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "finder/archive/archive_format.h"

// Seconds since 1970 (UTC) of a calendar moment that is `offsetMinutes`
// ahead of UTC; 0 for a month or day out of range.
std::int64_t DiscStampSeconds(std::int64_t year, int month, int day, int hour, int minute,
                              int second, int offsetMinutes);

// Appends the UTF-8 form of one UTF-16 unit sequence (big-endian when
// `bigEndian`); an unpaired surrogate becomes U+FFFD.
void AppendUtf16(std::string& out, const std::uint8_t* units, std::size_t count, bool bigEndian);

class DiscMembers {
 public:
  // `file` holds the image.
  DiscMembers(ByteSource& file, const MemberReading& reading);

  // Lists the member at `path` (zero-terminated, its name starting at
  // `nameAt`) when it passes the filters and matches. A path that is
  // well-formed UTF-8 is matched as such, any other as bytes of the ANSI code
  // page; after NamesStoredAsBytes, under /K, every path that is not ASCII
  // as bytes of /K's code page. With /M, a member whose `size` bytes lie
  // whole at `storedAt` of the image is opened when it is an archive. False
  // when the run has stopped.
  bool List(const std::string& path, std::size_t nameAt, std::int64_t utcSeconds,
            std::uint64_t size, std::uint32_t attributes,
            std::optional<std::uint64_t> storedAt = std::nullopt);

  // The paths that follow hold names as the disc stores them in bytes
  // (plain ISO 9660 and Rock Ridge names), not in a Unicode form.
  void NamesStoredAsBytes() { storedAsBytes_ = true; }

 private:
  // The member's name as listed, when it matches `pattern`.
  bool ListedName(const SearchPattern& pattern, const std::string& path, std::size_t nameAt,
                  std::string_view& listed);

  ByteSource& file_;
  const MemberReading& reading_;
  MemberList& listing_;
  const SearchOptions& options_;
  LocalTimeConverter toLocal_;
  ByteNameCodes codes_;
  bool storedAsBytes_ = false;
  std::unique_ptr<MemberNameRoom> room_;
};
