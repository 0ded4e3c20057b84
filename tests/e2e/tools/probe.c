/* Records how it was started: appends one line "current directory|command
   line" to the file named by PROBE_LOG, then sleeps PROBE_SLEEP_MS if set.
   With PROBE_WIDE=1 both come from the wide calls and are logged in UTF-8,
   so a test sees the exact names it was given, not what the ANSI code page
   makes of them. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

/* UTF-16 text as UTF-8 into out (a platform path or command line fits). */
static void Utf8(const wchar_t* text, char* out, int size) {
  if (!WideCharToMultiByte(CP_UTF8, 0, text, -1, out, size, NULL, NULL)) out[0] = 0;
}

int main(void) {
  static char directory[3 * 32768];
  static char line[3 * 32768];
  static wchar_t wideDirectory[32768];
  char log[MAX_PATH];
  const char* wide = getenv("PROBE_WIDE");
  if (wide && strcmp(wide, "1") == 0) {
    if (!GetCurrentDirectoryW(32768, wideDirectory)) wideDirectory[0] = 0;
    Utf8(wideDirectory, directory, sizeof directory);
    Utf8(GetCommandLineW(), line, sizeof line);
  } else {
    if (!GetCurrentDirectoryA(sizeof directory, directory)) directory[0] = 0;
    strncpy(line, GetCommandLineA(), sizeof line - 1);
  }
  if (!GetEnvironmentVariableA("PROBE_LOG", log, sizeof log)) return 3;
  const char* sleepText = getenv("PROBE_SLEEP_MS");
  if (sleepText) Sleep((DWORD)atoi(sleepText));
  /* Under a loaded machine the log may still be held by the run before. */
  FILE* file = NULL;
  for (int tries = 0; !file && tries < 100; ++tries) {
    file = fopen(log, "ab");
    if (!file) Sleep(20);
  }
  if (!file) {
    fprintf(stderr, "probe: cannot open %s\n", log);
    return 4;
  }
  fprintf(file, "%s|%s\n", directory, line);
  fclose(file);
  return 0;
}
