// The folder of the running program, ending in a separator.
#pragma once

#include <string>

namespace platform {

// "/usr/lib/dvrsuite/" for a program at /usr/lib/dvrsuite/Orvane_M4. Falls back to the current
// directory when the executable's path cannot be read.
std::string ProgramDirectory();

}  // namespace platform
