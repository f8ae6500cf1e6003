#include "sim/PhoneSimHost.h"

namespace sim {

int ServePhoneOnPty(const PhoneSimOptions&, std::ostream&, std::ostream& err, const std::atomic<bool>&) {
  err << "quavrel phone-sim: the simulated phone needs a pseudo-terminal, which Windows does not have;"
         " run it under Linux and give Wine's COM port the device it prints\n";
  return 1;
}

}  // namespace sim
