// When the main window's "Capture" and "Print" commands refuse to run, by the file that is open.
#pragma once
#include <string>

namespace player {

enum class CommandRefusal {
    kNone,
    kNoFile,        // "Please select a file."
    kAlreadySaved,  // "The file is already saved."
    kPlaying,       // "You cannot print during playback."
};

// Capture: a file must be open, and an opened still is already a saved picture.
CommandRefusal CaptureRefusal(const std::string& openedPath);
// Print: a file must be open, and a recording must not be playing.
CommandRefusal PrintRefusal(const std::string& openedPath, bool playing);
// The still's own picture is printed (at its size) rather than the rendered layout.
bool IsStillPath(const std::string& path);

}  // namespace player
