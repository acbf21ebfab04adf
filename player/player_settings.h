// The player's settings that still capture and the watermark use, with their defaults. Like
// every setting, a value that is missing is written with its default by its first reader.
#pragma once

#include <string>

#include "platform/registry_store.h"

namespace player {

// "CapturePath": the capture folder; the user's data folder (platform::UserDataDirectory()) +
// "Frame/" when absent, since the program's own folder is not writable once installed.
std::string CapturePath(platform::RegistryStore& store, const std::string& dataDir);
// The still search's folder: "OrvCapturePath" when present, else CapturePath().
std::string StillSearchPath(platform::RegistryStore& store, const std::string& dataDir);
// "WaterMark": the watermark pattern file; program folder + "Mark4015.raw" when absent.
std::string WatermarkPath(platform::RegistryStore& store, const std::string& programDir);

}  // namespace player
