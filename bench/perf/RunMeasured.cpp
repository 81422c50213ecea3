// webaccess-perf-rusage COMMAND [ARG...]
// Runs the command, waits for it and prints on standard error, after
// whatever the command printed:
//   status N seconds S maxrss_kb K cpu_seconds C
// maxrss_kb is getrusage(RUSAGE_CHILDREN)'s peak resident set size: the
// largest of the command and the descendants it waited for; cpu_seconds is
// their user and system time together.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: webaccess-perf-rusage COMMAND [ARG...]\n");
    return 64;
  }
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child < 0) return 70;
  if (child == 0) {
    execvp(argv[1], argv + 1);
    std::perror("exec");
    _exit(127);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child) return 70;
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  std::fprintf(stderr, "status %d seconds %.6f maxrss_kb %ld cpu_seconds %.6f\n", code,
               took.count(), usage.ru_maxrss, cpu);
  return 0;
}
