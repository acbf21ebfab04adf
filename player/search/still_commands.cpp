#include "player/search/still_commands.h"

#include "media/still_image.h"

namespace player {

bool IsStillPath(const std::string& path) {
    if (path.size() < 3) return false;
    std::string tail = path.substr(path.size() - 3);
    for (char& c : tail)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return tail == "jpg";
}

CommandRefusal CaptureRefusal(const std::string& openedPath) {
    if (openedPath.empty()) return CommandRefusal::kNoFile;
    if (IsStillPath(openedPath)) return CommandRefusal::kAlreadySaved;
    return CommandRefusal::kNone;
}

CommandRefusal PrintRefusal(const std::string& openedPath, bool playing) {
    if (openedPath.empty()) return CommandRefusal::kNoFile;
    if (playing && media::IsVideoFileName(openedPath)) return CommandRefusal::kPlaying;
    return CommandRefusal::kNone;
}

}  // namespace player
