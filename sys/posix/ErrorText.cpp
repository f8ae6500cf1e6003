#include <cstring>

#include "sys/ErrorText.h"

namespace sys {

std::string ErrorText(unsigned code) { return std::strerror(static_cast<int>(code)); }

}  // namespace sys
