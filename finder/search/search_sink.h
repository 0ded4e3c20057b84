// What the search hands on to the rest of the program: the criteria, the
// listing, the commands, the archive readers and the error lines. The walk,
// the archive driver and the PATH lookup talk to the program only through
// this and the FileSystem, so a test can run them over a recorder.
#pragma once

#include <cstddef>
#include <cstdint>

#include "finder/archive/archive_format.h"
#include "finder/records/run_context.h"
#include "finder/records/search_options.h"

class ByteSource;
class TextWriter;

class SearchSink {
 public:
  virtual ~SearchSink() = default;

  // The date, time, size and attribute criteria of the run.
  virtual bool Selects(const FileEntry& entry) = 0;
  // Lists an entry found (not called under /N); searchPath holds its full
  // path, its directory in front of `namePosition`. `headerShown` tells
  // whether this directory's header lines were written already.
  virtual void Show(const FileEntry& entry, std::size_t namePosition, bool& headerShown) = 0;
  // Runs the command for an entry; searchPath holds its directory, ended
  // at `namePosition`.
  virtual void RunCommand(const FileEntry& entry, std::size_t namePosition) = 0;
  // Lists the matching members of an opened archive.
  virtual void ListArchive(const ArchiveFormat& format, ByteSource& archive) = 0;
  // Where the "Error Code" lines go (the run's stop writes them).
  virtual TextWriter& Errors() = 0;
};

// Counts an entry that was found and gives it the command; searchPath holds
// its full path.
void CountAndRun(RunContext& run, SearchSink& sink, const FileEntry& entry,
                 std::size_t namePosition);
