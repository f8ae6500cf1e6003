#include <atomic>

#include "link/PhoneJobs.h"

namespace {
std::atomic<bool> jobRunning{false};
}  // namespace

bool TryBeginPhoneJob() {
  bool expected = false;
  return jobRunning.compare_exchange_strong(expected, true);
}

void EndPhoneJob() { jobRunning.store(false); }

bool PhoneJobRunning() { return jobRunning.load(); }
