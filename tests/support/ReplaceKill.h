// Stopping a process in the middle of a file replacement (lwreplace.h), for tests of the writers
// that replace files: the target must hold the whole old file before the rename and the whole new
// one after it. Header only: the test program links the layer that holds the replacement.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include <lwreplace.h>

namespace lwtest {

inline lw::ReplaceStep& KillStep() {
  static lw::ReplaceStep step;
  return step;
}

// Runs `save` in a child process that kills itself when a replacement reaches `step`. True when
// the child died there; false when it finished (or died) otherwise, e.g. because the writer did
// not replace its file through lw::FileReplacement.
inline bool SaveKilledAt(lw::ReplaceStep step, const std::function<void()>& save) {
  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    KillStep() = step;
    lw::SetReplaceStepHook([](lw::ReplaceStep s) {
      if (s == KillStep()) raise(SIGKILL);
    });
    save();
    _exit(3);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
  }
  return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

}  // namespace lwtest
