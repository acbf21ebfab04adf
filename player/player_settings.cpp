#include "player/player_settings.h"

#include "media/watermark.h"

namespace player {

using platform::Hive;
using platform::kEnvironmentsKey;

std::string CapturePath(platform::RegistryStore& store, const std::string& programDir) {
    return store.ReadOrInit(Hive::kLocalMachine, kEnvironmentsKey, "CapturePath",
                            programDir + "Frame/");
}

std::string StillSearchPath(platform::RegistryStore& store, const std::string& programDir) {
    std::string path;
    if (store.ReadString(Hive::kLocalMachine, kEnvironmentsKey, "OrvCapturePath", &path))
        return path;
    return CapturePath(store, programDir);
}

std::string WatermarkPath(platform::RegistryStore& store, const std::string& programDir) {
    return store.ReadOrInit(Hive::kLocalMachine, kEnvironmentsKey, "WaterMark",
                            programDir + media::kDefaultMarkFileName);
}

}  // namespace player
