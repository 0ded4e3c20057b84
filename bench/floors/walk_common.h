/* The directory walk of the floors, in the shape the finder uses: per
   directory one search with the name pattern for its entries, then one "*"
   search for its subdirectories, depth first, all paths in one buffer. The
   entry handler decides what a line looks like. */
#pragma once
#include "floor_output.h"

static char searchPath[MAX_PATH];
static char savedPattern[MAX_PATH];
static size_t patternLength;

/* Called for each entry the pattern search returns; namePosition is where the
   entry's name starts in searchPath (the directory stands in front of it). */
static void HandleEntry(const WIN32_FIND_DATAA* entry, size_t namePosition, int* headerDone);

static void WalkDirectory(size_t namePosition) {
  WIN32_FIND_DATAA entry;
  if (namePosition + patternLength >= MAX_PATH) return;
  memcpy(searchPath + namePosition, savedPattern, patternLength + 1);
  HANDLE search = FindFirstFileA(searchPath, &entry);
  if (search != INVALID_HANDLE_VALUE) {
    int headerDone = 0;
    do HandleEntry(&entry, namePosition, &headerDone);
    while (FindNextFileA(search, &entry));
    FindClose(search);
  }
  if (namePosition + 1 >= MAX_PATH) return;
  memcpy(searchPath + namePosition, "*", 2);
  search = FindFirstFileA(searchPath, &entry);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    const char* name = entry.cFileName;
    if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
    size_t length = strlen(name);
    if (namePosition + length + 1 + patternLength >= MAX_PATH) continue;
    memcpy(searchPath + namePosition, name, length);
    searchPath[namePosition + length] = '\\';
    WalkDirectory(namePosition + length + 1);
  } while (FindNextFileA(search, &entry));
  FindClose(search);
}

/* argv[1] is DIRECTORY\PATTERN, as the finder takes it. */
static int RunWalk(int argc, char** argv) {
  if (argc < 2) return 2;
  char* namePart;
  DWORD length = GetFullPathNameA(argv[1], MAX_PATH, searchPath, &namePart);
  if (length == 0 || length >= MAX_PATH || !namePart) return 1;
  size_t namePosition = (size_t)(namePart - searchPath);
  patternLength = strlen(namePart);
  memcpy(savedPattern, namePart, patternLength + 1);
  StartOut();
  WalkDirectory(namePosition);
  FlushOut();
  return 0;
}
