/* What both ZIP floors share: the archive path as the finder prints it, the
   little-endian fields, and the short line "ARCHIVE : name". */
#pragma once
#include "floor_output.h"

enum { kLocalSize = 30, kCentralSize = 46, kNameMax = 260 };

static char archivePrefix[MAX_PATH + 4];
static size_t prefixLength;

static inline unsigned Read16(const unsigned char* at) {
  return at[0] | (unsigned)at[1] << 8;
}
static inline unsigned long Read32(const unsigned char* at) {
  return at[0] | (unsigned long)at[1] << 8 | (unsigned long)at[2] << 16 |
         (unsigned long)at[3] << 24;
}

/* The name part shown is what follows the last backslash, else the last
   slash, else the whole stored name. */
static inline const char* NamePart(const char* name, size_t length, size_t* partLength) {
  size_t start = 0;
  for (size_t i = 0; i < length; ++i)
    if (name[i] == '\\') start = i + 1;
  if (start == 0)
    for (size_t i = 0; i < length; ++i)
      if (name[i] == '/') start = i + 1;
  *partLength = length - start;
  return name + start;
}

static inline void PutShortLine(const char* name, size_t length) {
  size_t partLength;
  const char* part = NamePart(name, length, &partLength);
  PutBytes(archivePrefix, prefixLength);
  PutBytes(part, partLength);
  PutBytes("\r\n", 2);
}

/* Opens argv's archive and fills the prefix; INVALID_HANDLE_VALUE on failure. */
static inline HANDLE OpenArchive(const char* argument) {
  DWORD length = GetFullPathNameA(argument, MAX_PATH, archivePrefix, NULL);
  if (length == 0 || length >= MAX_PATH) return INVALID_HANDLE_VALUE;
  memcpy(archivePrefix + length, " : ", 4);
  prefixLength = length + 3;
  return CreateFileA(argument, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, NULL);
}
