// The stopwatch of make bench: runs COMMAND with its standard input from STDIN_FILE and
// its standard output thrown away, and prints one line: the wall time and the CPU time
// (user and system) in seconds, the peak resident memory in bytes, and the exit status.
// It is small, so that what it weighs before it starts the command does not count
// towards the command's peak.
//
//   hornwall_bench_measure STDIN_FILE COMMAND [ARGUMENT...]

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

double seconds(const timeval& time) {
  return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) * 1e-6;
}

double now() {
  timespec time{};
  clock_gettime(CLOCK_MONOTONIC, &time);
  return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) * 1e-9;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: hornwall_bench_measure STDIN_FILE COMMAND [ARGUMENT...]\n", stderr);
    return 2;
  }
  const int input = ::open(argv[1], O_RDONLY | O_CLOEXEC);
  const int output = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (input < 0 || output < 0) {
    std::fprintf(stderr, "hornwall_bench_measure: %s: %s\n", argv[1], std::strerror(errno));
    return 2;
  }
  const double start = now();
  const pid_t child = ::fork();
  if (child < 0) {
    std::perror("hornwall_bench_measure: fork");
    return 2;
  }
  if (child == 0) {
    ::dup2(input, STDIN_FILENO);
    ::dup2(output, STDOUT_FILENO);
    ::execv(argv[2], argv + 2);
    std::fprintf(stderr, "hornwall_bench_measure: %s: %s\n", argv[2], std::strerror(errno));
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  while (::wait4(child, &status, 0, &usage) < 0) {
    if (errno != EINTR) {
      std::perror("hornwall_bench_measure: wait4");
      return 2;
    }
  }
  const double wall = now() - start;
  const int exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  std::printf("%.6f %.6f %ld %d\n", wall, seconds(usage.ru_utime) + seconds(usage.ru_stime),
              usage.ru_maxrss * 1024L, exit_status);
  return 0;
}
