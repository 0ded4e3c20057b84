// An executable's bytes through a file mapping: the configurator reads its
// resources and rewrites its message table there, never loading the file as
// a program, so any path the file system takes will do.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>

// Owns an open file and its mapping, released in the order they were taken.
class MappedFile {
 public:
  explicit MappedFile(HANDLE file) : file_(file) {}
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  ~MappedFile();

  // Maps the whole file, for reading only or also for writing; an empty
  // file maps to no bytes. False with the system's code in GetLastError().
  bool Map(bool writable);
  std::span<std::uint8_t> Bytes() const { return bytes_; }

 private:
  HANDLE file_;
  HANDLE mapping_ = nullptr;
  void* view_ = nullptr;
  std::span<std::uint8_t> bytes_;
};

// The file at `path` (a full path in UTF-8) opened for reading, others
// reading it meanwhile but never writing it, and mapped: 0, or the
// system's code.
unsigned long MapForReading(const char* path, std::optional<MappedFile>& mapped);
