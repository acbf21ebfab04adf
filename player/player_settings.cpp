#include "player/player_settings.h"

#include "media/watermark.h"

namespace player {

using platform::Hive;
using platform::kEnvironmentsKey;

std::string CapturePath(platform::RegistryStore& store, const std::string& dataDir) {
    return store.ReadOrInit(Hive::kLocalMachine, kEnvironmentsKey, "CapturePath",
                            dataDir + "Frame/");
}

std::string StillSearchPath(platform::RegistryStore& store, const std::string& dataDir) {
    std::string path;
    if (store.ReadString(Hive::kLocalMachine, kEnvironmentsKey, "OrvCapturePath", &path))
        return path;
    return CapturePath(store, dataDir);
}

std::string WatermarkPath(platform::RegistryStore& store, const std::string& programDir) {
    return store.ReadOrInit(Hive::kLocalMachine, kEnvironmentsKey, "WaterMark",
                            programDir + media::kDefaultMarkFileName);
}

}  // namespace player
