// Runs a piece of a test in a forked child under an address-space limit, so that a fault that
// takes memory without bound ends the child, not the machine, and tells how much the child's
// peak resident memory grew while the piece ran.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include "platform/base/sanitizer.h"

namespace testbound {

struct Result {
  int ExitCode = -1;      // the piece's return value; -1 when the child was killed or crashed
  long PeakGrowthKb = 0;  // growth of the peak resident size while the piece ran
};

// prepare runs first, unmeasured (loading libraries the piece needs); piece returns the exit code.
inline Result RunBounded(std::size_t addressLimitBytes, const std::function<void()>& prepare,
                         const std::function<int()>& piece) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return {};
  const pid_t child = fork();
  if (child == 0) {
    close(pipeFds[0]);
    // AddressSanitizer's shadow takes terabytes of address space: under it the limit is left
    // off, and the peak growth alone tells a piece that took memory without bound.
#if !defined(NIGHTWISP_UNDER_ASAN)
    const rlimit limit{addressLimitBytes, addressLimitBytes};
    setrlimit(RLIMIT_AS, &limit);
#else
    (void)addressLimitBytes;
#endif
    alarm(60);
    prepare();
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    const int code = piece();
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    const long growth = after.ru_maxrss - before.ru_maxrss;
    (void)!write(pipeFds[1], &growth, sizeof growth);
    _exit(code);
  }
  close(pipeFds[1]);
  Result result;
  if (read(pipeFds[0], &result.PeakGrowthKb, sizeof result.PeakGrowthKb) !=
      static_cast<ssize_t>(sizeof result.PeakGrowthKb)) {
    result.PeakGrowthKb = -1;
  }
  close(pipeFds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

}  // namespace testbound
