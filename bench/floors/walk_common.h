/* The directory walk of the floors, in the shape the finder uses: per
   directory one search with the name pattern for its entries, then one "*"
   search for its subdirectories, depth first, all paths in one buffer. The
   searches are the wide calls; the path is kept a second time as ANSI text
   for the output, each name converted once (ASCII copied, as any converter
   worth its name does). The entry handler decides what a line looks like. */
#pragma once
#include "floor_output.h"

static wchar_t searchPath[MAX_PATH];
static char ansiPath[MAX_PATH * 2];
static wchar_t savedPattern[MAX_PATH];
static size_t patternLength;

/* `name` as ANSI text in `out` (terminated); its length, or -1. */
static int ToAnsi(const wchar_t* name, size_t length, char* out, size_t size) {
  size_t i = 0;
  for (; i < length && name[i] < 0x80; ++i) out[i] = (char)name[i];
  if (i < length) {
    int n = WideCharToMultiByte(CP_ACP, 0, name, (int)length, out, (int)size - 1, NULL, NULL);
    if (n <= 0) return -1;
    i = (size_t)n;
  }
  out[i] = 0;
  return (int)i;
}

/* Called for each entry the pattern search returns, with its name as ANSI
   text; ansiPath holds the directory in front of `ansiPosition`. */
static void HandleEntry(const WIN32_FIND_DATAW* entry, const char* name, size_t ansiPosition,
                        int* headerDone);

static void WalkDirectory(size_t namePosition, size_t ansiPosition) {
  WIN32_FIND_DATAW entry;
  char name[MAX_PATH * 2];
  if (namePosition + patternLength >= MAX_PATH) return;
  memcpy(searchPath + namePosition, savedPattern, (patternLength + 1) * sizeof(wchar_t));
  HANDLE search = FindFirstFileW(searchPath, &entry);
  if (search != INVALID_HANDLE_VALUE) {
    int headerDone = 0;
    do {
      if (ToAnsi(entry.cFileName, wcslen(entry.cFileName), name, sizeof name) >= 0)
        HandleEntry(&entry, name, ansiPosition, &headerDone);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
  }
  if (namePosition + 1 >= MAX_PATH) return;
  memcpy(searchPath + namePosition, L"*", 2 * sizeof(wchar_t));
  search = FindFirstFileW(searchPath, &entry);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    const wchar_t* wide = entry.cFileName;
    if (wide[0] == '.' && (wide[1] == 0 || (wide[1] == '.' && wide[2] == 0))) continue;
    size_t length = wcslen(wide);
    if (namePosition + length + 1 + patternLength >= MAX_PATH) continue;
    int ansiLength =
        ToAnsi(wide, length, ansiPath + ansiPosition, sizeof ansiPath - ansiPosition - 1);
    if (ansiLength < 0) continue;
    ansiPath[ansiPosition + ansiLength] = '\\';
    memcpy(searchPath + namePosition, wide, length * sizeof(wchar_t));
    searchPath[namePosition + length] = '\\';
    WalkDirectory(namePosition + length + 1, ansiPosition + ansiLength + 1);
  } while (FindNextFileW(search, &entry));
  FindClose(search);
}

/* argv[1] is DIRECTORY\PATTERN, as the finder takes it. */
static int RunWalk(int argc, char** argv) {
  if (argc < 2) return 2;
  wchar_t argument[MAX_PATH];
  if (MultiByteToWideChar(CP_ACP, 0, argv[1], -1, argument, MAX_PATH) == 0) return 1;
  wchar_t* namePart;
  DWORD length = GetFullPathNameW(argument, MAX_PATH, searchPath, &namePart);
  if (length == 0 || length >= MAX_PATH || !namePart) return 1;
  size_t namePosition = (size_t)(namePart - searchPath);
  patternLength = wcslen(namePart);
  memcpy(savedPattern, namePart, (patternLength + 1) * sizeof(wchar_t));
  int ansiPosition = ToAnsi(searchPath, namePosition, ansiPath, sizeof ansiPath);
  if (ansiPosition < 0) return 1;
  StartOut();
  WalkDirectory(namePosition, (size_t)ansiPosition);
  FlushOut();
  return 0;
}
