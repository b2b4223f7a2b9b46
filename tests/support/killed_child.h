// A game killed halfway, in a test: steps run in a forked child, which reports each one done
// through a pipe; once the wanted number are done the child is killed with SIGKILL, so that
// what the steps wrote must survive a kill at any later moment.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace testkill {

struct Result {
  int StepsDone = 0;    // steps the child reported done before it was killed
  bool Killed = false;  // the child died of the signal, not of a failed step
};

// steps runs in the child and calls done() after each step; it returns false when a step
// failed. The child is killed after `wanted` steps, or found dead if it ended before that.
inline Result KillAfterSteps(int wanted,
                             const std::function<bool(const std::function<void()>& done)>& steps) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return {};
  const pid_t child = ::fork();
  if (child < 0) return {};
  if (child == 0) {
    ::close(pipeFds[0]);
    const auto done = [&] {
      const char step = 's';
      if (::write(pipeFds[1], &step, 1) != 1) ::_exit(5);
    };
    if (!steps(done)) ::_exit(4);
    for (;;) ::pause();
  }
  ::close(pipeFds[1]);
  Result result;
  char step;
  while (result.StepsDone < wanted && ::read(pipeFds[0], &step, 1) == 1) ++result.StepsDone;
  ::close(pipeFds[0]);
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  result.Killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
  return result;
}

}  // namespace testkill
