#include "client/app/window/core/window_texts.h"

#include <cstdio>

namespace client_app {

std::string InformationText(bool admin, const std::string& nameLabel, const std::string& name,
                            const std::string& addressLabel, const std::string& address) {
    return "* " + nameLabel + " : " + name + "\n* " + addressLabel + " :\n\t" + address + "\n* " +
           (admin ? "admin mode" : "user mode");
}

std::string PlaybackStateLabel(int code) {
    static const char* const kForward[] = {"+1X",  "+2X",  "+4X",  "+8X",
                                           "+16X", "+32X", "+64X", "+128X"};
    static const char* const kReverse[] = {"-1X",  "-2X",  "-4X",  "-8X",
                                           "-16X", "-32X", "-64X", "-128X"};
    if (code >= 1 && code <= 8) return kForward[code - 1];
    if (code >= 17 && code <= 24) return kReverse[code - 17];
    switch (code) {
        case 9:
            return "Step forward";
        case 10:
            return "+1/4X";
        case 11:
            return "+1/2X";
        case 25:
            return "Step reverse";
        default:
            return std::string();
    }
}

std::string PlaybackModeText(int code) {
    return "Playback( " + PlaybackStateLabel(code) + " )";
}

std::string ClockText(const std::tm& local) {
    char text[64];
    std::strftime(text, sizeof text, "%Y - %m - %d  %H : %M : %S", &local);
    return text;
}

std::string InstallerArguments(int channels, int pictureHeight, const std::string& address,
                               const std::string& port, const std::string& password,
                               int languageId) {
    const char* system = pictureHeight == 288 || pictureHeight == 576 ? "PAL" : "NTSC";
    return "-" + std::to_string(channels) + " -" + system + " -" + address + " -" + port + " -" +
           password + " -" + std::to_string(languageId) + " -1";
}

std::string SpaceText(unsigned long long bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f GB",
                  static_cast<double>(bytes) / (1024.0 * 1024 * 1024));
    return text;
}

}  // namespace client_app
