#include "cli/Interrupts.h"

#include <csignal>

namespace {

// A signal handler may only touch lock-free atomics; one catcher at a time.
std::atomic<std::atomic<bool>*> caughtFlag{nullptr};
void (*previousInterrupt)(int) = SIG_DFL;
void (*previousTerminate)(int) = SIG_DFL;

extern "C" void OnInterrupt(int signal) {
  std::signal(signal, SIG_DFL);
  if (std::atomic<bool>* flag = caughtFlag.load()) flag->store(true);
}

}  // namespace

InterruptCatcher::InterruptCatcher(std::atomic<bool>& flag) {
  caughtFlag.store(&flag);
  previousInterrupt = std::signal(SIGINT, OnInterrupt);
  previousTerminate = std::signal(SIGTERM, OnInterrupt);
}

InterruptCatcher::~InterruptCatcher() {
  std::signal(SIGINT, previousInterrupt);
  std::signal(SIGTERM, previousTerminate);
  caughtFlag.store(nullptr);
}
