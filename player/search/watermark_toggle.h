// The main window's "WaterMark" toggle over an opened file: the first press turns an opened
// still into its watermark check picture, the second brings the still back.
#pragma once
#include <string>

#include "media/jpeg_library.h"

namespace player {

class WatermarkToggle {
  public:
    enum class Outcome {
        kNoFile,        // "Please select a file."
        kVideoFile,     // "You cannot extract the watermark from video files."
        kNoTime,        // a still without a time carries no mark: nothing happens
        kCantOpen,      // "File can't opened!"
        kDecodeFailed,  // the JPEG data could not be read; `error` says why
        kShowCheck,     // draw `picture` stretched into cell 0, button pressed
        kShowStill,     // draw the still again, button released
    };

    // One press on the button for the opened file ("" when none). `picture` gets the check
    // picture for kShowCheck.
    Outcome Press(const std::string& openedPath, media::RgbPicture* picture, std::string* error);
    // A new file was opened: the next press starts from the still again.
    void Reset() { pressed_ = false; }
    bool pressed() const { return pressed_; }

  private:
    bool pressed_ = false;
};

}  // namespace player
