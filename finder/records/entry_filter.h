// The date, time, size and attribute criteria of a run (/D, /T, /S, /A),
// applied to directory entries, programs found along PATH and archive members.
#pragma once

#include <cstdint>

#include "finder/records/search_options.h"

// The date, time and size criteria alone, and the attribute criteria alone:
// archive members are tested in these two steps, as some formats give their
// attributes only on a second pass.
bool MatchesDateTimeSize(const SearchOptions& options, const DosDateTime* stamp,
                         std::uint64_t size);
bool MatchesAttributes(const SearchOptions& options, std::uint32_t attributes);

// True when an entry with these facts passes every criterion of `options`
// that is set. `stamp` is its last-write time as local DosDateTime; it may
// be null when no date or time criterion is set (a null stamp fails one).
bool MatchesCriteria(const SearchOptions& options, std::uint32_t attributes, std::uint64_t size,
                     const DosDateTime* stamp);

// The same for an entry of the platform's directory search, against the
// run's options; its UTC last-write time is turned into local time only when
// a date or time criterion asks for it, and packed as its line shows it
// (FileDosDateTime).
bool MatchesCriteria(const SearchOptions& options, const FileEntry& entry);
