#pragma once
// Ctrl+C and SIGTERM, caught for as long as a command runs a job that must
// wind down in order (an upload closes the phone's block; the simulated
// phone saves its block). A second signal is not caught: it ends the
// process at once, for a user who will not wait.
#include <atomic>

class InterruptCatcher {
 public:
  // Sets `flag` on the first Ctrl+C or SIGTERM while this lives.
  explicit InterruptCatcher(std::atomic<bool>& flag);
  ~InterruptCatcher();
  InterruptCatcher(const InterruptCatcher&) = delete;
  InterruptCatcher& operator=(const InterruptCatcher&) = delete;
};
