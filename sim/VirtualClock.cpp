#include "sim/VirtualClock.h"

namespace sim {

void VirtualClock::AdvanceToUs(uint64_t us) {
  uint64_t now = nowUs_.load();
  while (now < us && !nowUs_.compare_exchange_weak(now, us)) {
  }
}

}  // namespace sim
