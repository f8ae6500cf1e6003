#pragma once
// The system's own words for an error code from sys::LastError, for the
// messages a user reads.
#include <string>

namespace sys {
std::string ErrorText(unsigned code);
}
