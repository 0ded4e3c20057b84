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
  FILE* file = fopen(log, "ab");
  if (!file) return 4;
  fprintf(file, "%s|%s\n", directory, GetCommandLineA());
  fclose(file);
  return 0;
}
