/* Starts a program with an exact command line, read from the file named by
   the first argument (Wine re-quotes the arguments of "wine prog args"),
   waits for it and exits with its exit code. Standard handles are inherited. */
#include <stdio.h>
#include <windows.h>

int main(int argc, char** argv) {
  static char line[32768];
  if (argc < 2) return 250;
  FILE* file = fopen(argv[1], "rb");
  if (!file) return 251;
  size_t length = fread(line, 1, sizeof line - 1, file);
  fclose(file);
  line[length] = '\0';
  STARTUPINFOA startup = {0};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  if (!CreateProcessA(NULL, line, NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process)) {
    fprintf(stderr, "launch: CreateProcessA failed: %lu\n", GetLastError());
    return 252;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 253;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return (int)code;
}
