/* Loads every string id 0-31 of a module through the system's string loader,
   as a program using it would, and prints "id<TAB>length<TAB>hex bytes" per id.
   Usage: loadstrings MODULE [BUFFERSIZE] (default 80, the finder's size). */
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  HMODULE module = LoadLibraryExA(argv[1], NULL, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) {
    fprintf(stderr, "loadstrings: cannot load %s: %lu\n", argv[1], GetLastError());
    return 1;
  }
  int size = argc > 2 ? atoi(argv[2]) : 80;
  if (size < 1 || size > 4096) return 2;
  char buffer[4096];
  for (unsigned id = 0; id < 32; ++id) {
    buffer[0] = '\0';
    int length = LoadStringA(module, id, buffer, size);
    printf("%u\t%d\t", id, length);
    for (const char* p = buffer; *p; ++p) printf("%02X", (unsigned char)*p);
    printf("\n");
  }
  return 0;
}
