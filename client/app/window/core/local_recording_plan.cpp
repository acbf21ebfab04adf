#include "client/app/window/core/local_recording_plan.h"

#include <cstdlib>

#include "platform/registry_store.h"

namespace client_app {
namespace {

std::string Stored(const platform::RegistryStore& settings, const char* name) {
    std::string value;
    settings.ReadString(platform::Hive::kLocalMachine, platform::kEnvironmentsKey, name, &value);
    return value;
}

}  // namespace

int ParseEndType(const std::string& stored) {
    if (stored == "1") return kEndAfterDuration;
    if (stored == "2") return kEndAtTime;
    return kEndContinuous;
}

int ParseDuration(const std::string& stored) {
    const size_t first = stored.find_first_not_of(' ');
    if (first == std::string::npos) return 1;
    const long minutes = std::strtol(stored.c_str() + first, nullptr, 10);
    return minutes >= 1 && minutes <= 100000 ? static_cast<int>(minutes) : 1;
}

RecordingChoice ChoiceFromSettings(const platform::RegistryStore& settings, int channelCount,
                                   std::time_t now) {
    RecordingChoice choice;
    choice.endType = ParseEndType(Stored(settings, "RecordingEndType"));
    if (choice.endType == kEndAfterDuration)
        choice.durationMinutes = ParseDuration(Stored(settings, "RecordingTime"));
    choice.endTime = now + 10 * 60;
    choice.keyword = Stored(settings, "RecordKeyword");
    const int count = channelCount <= 0 || channelCount > 16 ? 16 : channelCount;
    for (int c = 0; c < count; ++c)
        choice.channels[c] = true;
    return choice;
}

uint16_t ChannelMaskOf(const RecordingChoice& choice) {
    uint16_t mask = 0;
    for (int c = 0; c < 16; ++c)
        if (choice.channels[c]) mask |= static_cast<uint16_t>(1u << c);
    return mask;
}

int RecordingViewOf(const RecordingChoice& choice) {
    int count = 0, last = 0;
    for (int c = 0; c < 16; ++c)
        if (choice.channels[c]) {
            ++count;
            last = c;
        }
    return count == 1 ? last : 22;
}

void LocalRecordingState::Start(const RecordingChoice& choice) {
    choice_ = choice;
    recording_ = true;
    minutes_ = 0;
}

void LocalRecordingState::Stop() {
    recording_ = false;
    minutes_ = 0;
}

bool LocalRecordingState::RecordingShouldStop(std::time_t now) const {
    if (!recording_) return false;
    switch (choice_.endType) {
        case kEndAfterDuration:
            return minutes_ >= choice_.durationMinutes;
        case kEndAtTime:
            return now >= choice_.endTime;
        default:
            return false;
    }
}

}  // namespace client_app
