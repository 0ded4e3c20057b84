/* peak_rss FILE COMMAND [ARGS...]: runs the command and writes its peak
   resident set size in KiB to FILE; exits with the command's status.

   The benchmark runner is a large process: a child forked from it carries the
   runner's pages until it execs, and the kernel's maximum counts them. Forked
   from this small program, the child's maximum is the command's own. */
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc < 3) return 125;
  pid_t child = fork();
  if (child < 0) return 126;
  if (child == 0) {
    execvp(argv[2], argv + 2);
    _exit(127);
  }
  int status = 0;
  struct rusage usage;
  if (wait4(child, &status, 0, &usage) < 0) return 126;
  FILE* out = fopen(argv[1], "w");
  if (out) {
    fprintf(out, "%ld\n", usage.ru_maxrss);
    fclose(out);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
