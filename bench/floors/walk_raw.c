/* Floor of the form-0 walk: the same searches as the finder, one full path
   per matching entry (CR LF, as a Windows listing ends its lines), through a
   64 KiB buffer. Nothing it does can be left
   out, so the finder's walk cannot be faster than this under the platform. */
#include "walk_common.h"

static void HandleEntry(const WIN32_FIND_DATAW* entry, const char* name, size_t ansiPosition,
                        int* headerDone) {
  (void)entry;
  (void)headerDone;
  if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) return;
  size_t length = strlen(name);
  if (ansiPosition + length + 2 > sizeof ansiPath) return;
  memcpy(ansiPath + ansiPosition, name, length);
  memcpy(ansiPath + ansiPosition + length, "\r\n", 2);
  PutBytes(ansiPath, ansiPosition + length + 2);
}

int main(int argc, char** argv) {
  return RunWalk(argc, argv);
}
