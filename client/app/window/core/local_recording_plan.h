// A local recording started from the main window: which channels and how it was chosen (the
// recording settings dialog's choice, kept so that a recording stopped for lack of video can
// start again with it). When it ends is the settings library's RecordingStopRule.
#pragma once

#include <cstdint>

#include "client/app/settings/recording_choice.h"

namespace client_app {

// The channels to record as a mask (bit n: channel n).
uint16_t ChannelMaskOf(const client::RecordingChoice& choice);

class LocalRecordingState {
  public:
    void Start(const client::RecordingChoice& choice) {
        choice_ = choice;
        recording_ = true;
    }
    void Stop() { recording_ = false; }

    bool recording() const { return recording_; }
    client::RecordingEndType endType() const { return choice_.endType; }
    const client::RecordingChoice& choice() const { return choice_; }

  private:
    client::RecordingChoice choice_;
    bool recording_ = false;
};

}  // namespace client_app
