/* Floor of a buffered ZIP walk: records are taken from a 64 KiB buffer; a
   skip that stays inside it costs nothing, a longer one is one seek, after
   which only a few KiB are read (a large member would otherwise cost a whole
   buffer of data that is skipped at once). Without options it walks the local
   headers and prints short lines; with /F1 it lists the central directory in
   the long form (only the central records carry the attributes), found
   through the end record at the end of the file; with /F1W it reaches the
   directory by passing over the local entries, as the written walk does. */
#include "zip_common.h"

enum { kSmallRefill = 4096 };

static unsigned char buffer[65536];
static size_t position, end, refill = sizeof buffer;
static HANDLE file;

/* Makes `count` bytes available at buffer + position. */
static int Ensure(size_t count) {
  if (end - position >= count) return 1;
  memmove(buffer, buffer + position, end - position);
  end -= position;
  position = 0;
  size_t want = refill > count ? refill : count;
  if (want > sizeof buffer - end) want = sizeof buffer - end;
  DWORD got = 0;
  if (!ReadFile(file, buffer + end, (DWORD)want, &got, NULL)) return 0;
  end += got;
  refill = sizeof buffer;
  return end - position >= count;
}

static int Skip(unsigned long long count) {
  if (count <= end - position) {
    position += (size_t)count;
    return 1;
  }
  LARGE_INTEGER move;
  move.QuadPart = (LONGLONG)(count - (end - position));
  position = end = 0;
  refill = kSmallRefill;
  return SetFilePointerEx(file, move, NULL, FILE_CURRENT);
}

static void ListLocal(void) {
  while (Ensure(kLocalSize)) {
    const unsigned char* record = buffer + position;
    if (Read32(record) != 0x04034B50ul) break;
    unsigned nameLength = Read16(record + 26);
    unsigned long long skip = Read16(record + 28) + (unsigned long long)Read32(record + 18);
    if (nameLength > kNameMax || !Ensure(kLocalSize + nameLength)) break;
    PutShortLine((const char*)buffer + position + kLocalSize, nameLength);
    position += kLocalSize + nameLength;
    if (!Skip(skip)) break;
  }
}

static int PassOverLocal(void) {
  while (Ensure(kLocalSize)) {
    const unsigned char* record = buffer + position;
    if (Read32(record) != 0x04034B50ul) break;
    unsigned nameLength = Read16(record + 26);
    if (nameLength > kNameMax) return 0;
    unsigned long long skip =
        kLocalSize + nameLength + Read16(record + 28) + (unsigned long long)Read32(record + 18);
    if (!Skip(skip)) return 0;
  }
  return 1;
}

/* The corpus has no archive comments: the end record is the last 22 bytes,
   behind the ZIP64 end record (56 bytes, no extensible data) and its locator
   when there are more than 65,535 members. */
static int SeekCentralFromEnd(void) {
  enum { kTail = 56 + 20 + 22 };
  unsigned char tail[kTail];
  LARGE_INTEGER move, at;
  DWORD got = 0;
  move.QuadPart = -(LONGLONG)kTail;
  if (!SetFilePointerEx(file, move, &at, FILE_END) || !ReadFile(file, tail, kTail, &got, NULL) ||
      got != kTail || Read32(tail + kTail - 22) != 0x06054B50ul)
    return 0;
  unsigned long long directoryEnd = at.QuadPart + kTail - 22, size = Read32(tail + kTail - 10);
  if (Read32(tail + 56) == 0x07064B50ul && Read32(tail) == 0x06064B50ul) {
    directoryEnd = at.QuadPart;
    size = Read32(tail + 40) | (unsigned long long)Read32(tail + 44) << 32;
  }
  if (size > directoryEnd) return 0;
  move.QuadPart = (LONGLONG)(directoryEnd - size);
  position = end = 0;
  return SetFilePointerEx(file, move, NULL, FILE_BEGIN);
}

static void ListCentral(void) {
  int headed = 0;
  char name[kNameMax + 1];
  while (Ensure(kCentralSize)) {
    const unsigned char* record = buffer + position;
    if (Read32(record) != 0x02014B50ul) break;
    unsigned nameLength = Read16(record + 28);
    unsigned long long skip = Read16(record + 30) + (unsigned long long)Read16(record + 32);
    WORD dosTime = (WORD)Read16(record + 12), dosDate = (WORD)Read16(record + 14);
    unsigned long size = Read32(record + 24);
    DWORD attributes = record[38];
    if (nameLength > kNameMax || !Ensure(kCentralSize + nameLength)) break;
    size_t partLength;
    const char* part =
        NamePart((const char*)buffer + position + kCentralSize, nameLength, &partLength);
    memcpy(name, part, partLength);
    name[partLength] = 0;
    if (!headed) {
      headed = 1;
      PutText("\r\nArchive file of ");
      PutBytes(archivePrefix, prefixLength - 3);
      PutText("\r\n\r\n");
    }
    PutLongLine(dosDate, dosTime, size, attributes, name);
    position += kCentralSize + nameLength;
    if (!Skip(skip)) break;
  }
}

int main(int argc, char** argv) {
  int longForm = argc > 2 && (argv[1][0] == '/' || argv[1][0] == '-');
  int walk = longForm && (argv[1][3] == 'W' || argv[1][3] == 'w');
  if (argc < 2 + longForm) return 2;
  file = OpenArchive(argv[1 + longForm]);
  if (file == INVALID_HANDLE_VALUE) return 1;
  StartOut();
  if (!longForm)
    ListLocal();
  else if (walk ? PassOverLocal() : SeekCentralFromEnd())
    ListCentral();
  FlushOut();
  CloseHandle(file);
  return 0;
}
