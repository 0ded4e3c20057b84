/* Prints the 8.3 name the file system gives the file named by the first
   argument (its last path component only), so that the tests can expect it
   without guessing how the platform forms short names. */
#include <stdio.h>
#include <string.h>
#include <windows.h>

int main(int argc, char** argv) {
  char path[MAX_PATH];
  if (argc < 2) return 250;
  DWORD length = GetShortPathNameA(argv[1], path, sizeof path);
  if (length == 0 || length >= sizeof path) return 251;
  const char* name = strrchr(path, '\\');
  fputs(name ? name + 1 : path, stdout);
  return 0;
}
