// The file system as the search sees it: directory listings, files to read,
// the short and full forms of a path, and what tells directories apart. The walk, the archive
// driver and the PATH lookup reach the disk only through this, so they run the same over the system
// (file_system_win32.h) and over a tree held in memory in tests.
//
// Paths and names are the program's own text; the implementation converts
// them to what its system speaks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "finder/records/run_stop.h"
#include "finder/records/search_options.h"
#include "finder/search/path_identities.h"

class ByteSource;

// How a listing ended. `code` is 0 when every entry was visited or the
// visitor stopped; otherwise the system's error code, with `opened` telling a
// listing that could not start (2: nothing matches, 3: no such directory)
// from one that broke off after some entries.
struct ListingStatus {
  std::uint32_t code = 0;
  bool opened = false;
};

inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorPathNotFound = 3;
inline constexpr std::uint32_t kErrorNameTooLong = 206;

// What the end of a directory's listing means for the search.
enum class ListingVerdict : std::uint8_t {
  Complete,  // every entry was visited, or the visitor stopped
  Missing,   // nothing there: no such entry (2), or a subdirectory gone (3)
  PassOver,  // a subdirectory that cannot be read: reported, and the search goes on
  StopRun,   // the top directory cannot be read or is not there (whatever code the
             // system gives: no such path, drive or share), or a listing broke off:
             // the run ends with that code
};
ListingVerdict JudgeListing(ListingStatus status, bool topDirectory);

// Writes the "Error Code" line of a PassOver or StopRun listing and notes it
// in, or stops, the run.
void ReportListing(RunStop& stop, TextWriter& errors, ListingVerdict verdict, std::uint32_t code);

class FileSystem {
 public:
  // Returns false to stop the listing.
  using Visit = bool (*)(void* context, const FileEntry& entry);
  // Receives an opened file; it is closed when this returns.
  using Use = void (*)(void* context, ByteSource& file);

  virtual ~FileSystem() = default;

  // Visits, in the system's order, every entry the system's matching gives
  // for `pattern`, a directory followed by a name pattern (C:\DIR\*.TXT):
  // long and short names both match, as the system decides.
  virtual ListingStatus List(const char* pattern, Visit visit, void* context) = 0;

  // Opens the file for reading and hands it to `use`; false, without a
  // call, when it cannot be opened (a directory, a locked file).
  virtual bool Open(const char* path, Use use, void* context) = 0;

  // The short (8.3) form of an existing path in `out`, terminated; returns
  // its length, or 0 when there is none or it does not fit `size` bytes.
  virtual std::size_t ShortPath(const char* path, char* out, std::size_t size) = 0;

  // The identity of the directory `path` names, through any links on the
  // way; false when it cannot be read.
  virtual bool Identity(const char* path, DirectoryIdentity& identity) = 0;

  // The full path of `path` in `out`, terminated, with `namePosition` behind
  // its last backslash (0 when it ends in one). Returns 0 or the system's
  // error code; 206 when the full path does not fit `size` bytes.
  virtual std::uint32_t FullPath(const char* path, char* out, std::size_t size,
                                 std::size_t& namePosition) = 0;

  template <typename F>
  ListingStatus ListEach(const char* pattern, F&& visit) {
    return List(
        pattern,
        [](void* context, const FileEntry& entry) {
          return (*static_cast<std::remove_reference_t<F>*>(context))(entry);
        },
        &visit);
  }
  template <typename F>
  bool OpenWith(const char* path, F&& use) {
    return Open(
        path,
        [](void* context, ByteSource& file) {
          (*static_cast<std::remove_reference_t<F>*>(context))(file);
        },
        &use);
  }
};
