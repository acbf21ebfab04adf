#include "client/app/window/core/local_recording_plan.h"

namespace client_app {

client::RecordingChoice ChoiceFromSettings(const client::ClientSettings& settings, int channelCount,
                                           std::time_t now) {
    client::RecordingChoice choice;
    choice.endType = settings.RecordingEnd();
    if (choice.endType == client::RecordingEndType::kDuration)
        choice.durationMinutes = settings.RecordingTime();
    choice.endMoment = client::EndMomentOf(client::DefaultEndChoice(now));
    choice.keyword = settings.RecordKeyword();
    const int boxes = client::SelectableChannelBoxes(channelCount);
    for (int c = 0; c < boxes; ++c)
        choice.channels[static_cast<size_t>(c)] = true;
    return choice;
}

uint16_t ChannelMaskOf(const client::RecordingChoice& choice) {
    uint16_t mask = 0;
    for (int c = 0; c < client::kRecordingChannels; ++c)
        if (choice.channels[static_cast<size_t>(c)]) mask |= static_cast<uint16_t>(1u << c);
    return mask;
}

void LocalRecordingState::Start(const client::RecordingChoice& choice) {
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
        case client::RecordingEndType::kDuration:
            return minutes_ >= choice_.durationMinutes;
        case client::RecordingEndType::kEndTime:
            return now >= choice_.endMoment;
        default:
            return false;
    }
}

}  // namespace client_app
