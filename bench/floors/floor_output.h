/* Shared by the floor programs: one 64 KiB output buffer written with
   WriteFile, and the hand-made number formatting of a long listing line, so
   that a floor measures the platform and not the C runtime's printf. */
#pragma once
#include <string.h>
#include <windows.h>

static char outBuffer[65536];
static DWORD outLength;
static HANDLE outHandle;

static inline void FlushOut(void) {
  DWORD written;
  if (outLength) WriteFile(outHandle, outBuffer, outLength, &written, NULL);
  outLength = 0;
}

static inline void PutBytes(const char* text, size_t length) {
  if (outLength + length > sizeof outBuffer) FlushOut();
  if (length > sizeof outBuffer) length = sizeof outBuffer;
  memcpy(outBuffer + outLength, text, length);
  outLength += (DWORD)length;
}

static inline void PutText(const char* text) {
  PutBytes(text, strlen(text));
}

static inline void StartOut(void) {
  outHandle = GetStdHandle(STD_OUTPUT_HANDLE);
}

static inline void PutTwoDigits(char* at, unsigned value) {
  at[0] = (char)('0' + value / 10 % 10);
  at[1] = (char)('0' + value % 10);
}

/* A date-first line: "yy/mm/dd  hh:mm:ss" then the size right-aligned with
   digit grouping (or <DIR>) ending in column 31, the attribute letters, the
   name. */
static inline void PutLongLine(WORD dosDate, WORD dosTime, unsigned long long size,
                               DWORD attributes, const char* name) {
  char line[64 + MAX_PATH];
  memset(line, ' ', 38);
  PutTwoDigits(line, (80u + (dosDate >> 9)) % 100u);
  line[2] = '/';
  PutTwoDigits(line + 3, (dosDate >> 5) & 15u);
  line[5] = '/';
  PutTwoDigits(line + 6, dosDate & 31u);
  PutTwoDigits(line + 10, dosTime >> 11);
  line[12] = ':';
  PutTwoDigits(line + 13, (dosTime >> 5) & 63u);
  line[15] = ':';
  PutTwoDigits(line + 16, (dosTime & 31u) * 2u);
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    memcpy(line + 21, "<DIR>", 5);
  } else {
    int column = 31, digits = 0;
    do {
      if (digits && digits % 3 == 0) line[column--] = ',';
      line[column--] = (char)('0' + size % 10);
      size /= 10;
      ++digits;
    } while (size && column >= 18);
  }
  line[33] = (attributes & FILE_ATTRIBUTE_SYSTEM) ? 'S' : '_';
  line[34] = (attributes & FILE_ATTRIBUTE_HIDDEN) ? 'H' : '_';
  line[35] = (attributes & FILE_ATTRIBUTE_READONLY) ? 'R' : '_';
  line[36] = (attributes & FILE_ATTRIBUTE_ARCHIVE) ? 'A' : '_';
  size_t nameLength = strlen(name);
  if (nameLength > MAX_PATH) nameLength = MAX_PATH;
  memcpy(line + 38, name, nameLength);
  memcpy(line + 38 + nameLength, "\r\n", 2);
  PutBytes(line, 40 + nameLength);
}
