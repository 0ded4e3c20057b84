/* Records how it was started: appends one line "current directory|command
   line" to the file named by PROBE_LOG, then sleeps PROBE_SLEEP_MS if set. */
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

int main(void) {
  char directory[MAX_PATH];
  char log[MAX_PATH];
  if (!GetCurrentDirectoryA(sizeof directory, directory)) directory[0] = 0;
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
  fprintf(file, "%s|%s\n", directory, GetCommandLineA());
  fclose(file);
  return 0;
}
