#include "client/app/window/core/local_recording_plan.h"

namespace client_app {

uint16_t ChannelMaskOf(const client::RecordingChoice& choice) {
    uint16_t mask = 0;
    for (int c = 0; c < client::kRecordingChannels; ++c)
        if (choice.channels[static_cast<size_t>(c)]) mask |= static_cast<uint16_t>(1u << c);
    return mask;
}

}  // namespace client_app
