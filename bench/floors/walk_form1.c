/* Floor of the form-1 walk: the searches of the raw floor, a header per
   directory with entries, and per entry a date-first line in local time
   (the conversions the long form cannot avoid), through a 64 KiB buffer. */
#include "walk_common.h"

static void HandleEntry(const WIN32_FIND_DATAW* entry, const char* name, size_t ansiPosition,
                        int* headerDone) {
  if (!*headerDone) {
    *headerDone = 1;
    size_t shown = ansiPosition - 1;
    if (shown > 0 && ansiPath[shown - 1] == ':') ++shown;
    PutText("\r\nDirectory of ");
    PutBytes(ansiPath, shown);
    PutText("\r\n\r\n");
  }
  FILETIME local;
  WORD dosDate = 0, dosTime = 0;
  FileTimeToLocalFileTime(&entry->ftLastWriteTime, &local);
  FileTimeToDosDateTime(&local, &dosDate, &dosTime);
  unsigned long long size = ((unsigned long long)entry->nFileSizeHigh << 32) | entry->nFileSizeLow;
  PutLongLine(dosDate, dosTime, size, entry->dwFileAttributes, name);
}

int main(int argc, char** argv) {
  return RunWalk(argc, argv);
}
