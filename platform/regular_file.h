// Opening files for reading without ever blocking on something that is not a file: a FIFO, a
// terminal or a device given where a recording, a calendar or a picture is expected would
// otherwise stall the reader forever.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Opens `path` read-only when it is a regular file (checked on the opened descriptor, so the
// answer cannot change between the check and the use); -1 for anything else. The descriptor is
// in blocking mode and closes on exec; the caller closes it.
int OpenRegularFile(const std::string& path);

// Reads a whole regular file into `out`; false when it is not one or cannot be read.
bool ReadRegularFile(const std::string& path, std::vector<uint8_t>* out);

}  // namespace platform
