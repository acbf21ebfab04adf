// Rebuilding a recording folder's calendar file from the pairs it holds, for folders whose
// calendar lost minutes (a recording cut short before every minute was written to it).
#pragma once

#include <cstddef>
#include <string>

namespace media {

enum class RebuildError {
    kNone = 0,
    kNoPairs,      // the folder holds no readable ".umv" file
    kCannotRead,   // a ".umv" file could not be read (see `path`)
    kCannotWrite,  // the new calendar could not be written (see `path`)
};

struct RebuildResult {
    RebuildError error = RebuildError::kNone;
    std::string path;  // the calendar written, or the file the error is about
    size_t pairs = 0;
    size_t minutes = 0;
};

// Rewrites the folder's calendar file (the one readers take, or one named after the first pair
// when there is none) with one entry per minute that the folder's data files hold pictures in,
// each picture counted at its ChannelClock time. The header (recorder name, channel count,
// titles) is kept when the old file has a readable one; otherwise the recorder name comes from
// the folder's name and the channel count from the recordings' model code. The new file is
// written beside the old one and renamed over it, so a failure leaves the old one as it was.
RebuildResult RebuildCalendar(const std::string& folder);

}  // namespace media
