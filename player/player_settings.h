// The player's settings that still capture and the watermark use, with their defaults. Like
// every setting, a value that is missing is written with its default by its first reader.
#pragma once

#include <string>

#include "platform/registry_store.h"

namespace player {

// "CapturePath": the capture folder; program folder + "Frame/" when absent.
std::string CapturePath(platform::RegistryStore& store, const std::string& programDir);
// The still search's folder: "OrvCapturePath" when present, else CapturePath().
std::string StillSearchPath(platform::RegistryStore& store, const std::string& programDir);
// "WaterMark": the watermark pattern file; program folder + "Mark4015.raw" when absent.
std::string WatermarkPath(platform::RegistryStore& store, const std::string& programDir);

}  // namespace player
