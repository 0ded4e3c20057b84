/* Floor of an unbuffered ZIP local-header walk: per member exactly one
   ReadFile (the fixed header and as much of the name as can be there) and one
   SetFilePointer to the next header. Every system call costs a trip to the
   server under Wine, so this is the least an unbuffered reader can pay. */
#include "zip_common.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  HANDLE file = OpenArchive(argv[1]);
  if (file == INVALID_HANDLE_VALUE) return 1;
  StartOut();
  unsigned char record[kLocalSize + kNameMax];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, record, sizeof record, &got, NULL) || got < kLocalSize) break;
    if (Read32(record) != 0x04034B50ul) break;
    unsigned nameLength = Read16(record + 26);
    if (nameLength > kNameMax || kLocalSize + nameLength > got) break;
    PutShortLine((const char*)record + kLocalSize, nameLength);
    LARGE_INTEGER move;
    move.QuadPart = (LONGLONG)kLocalSize + nameLength + Read16(record + 28) +
                    (LONGLONG)Read32(record + 18) - (LONGLONG)got;
    if (!SetFilePointerEx(file, move, NULL, FILE_CURRENT)) break;
  }
  FlushOut();
  CloseHandle(file);
  return 0;
}
