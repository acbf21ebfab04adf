// The texts the main window builds: the connection information, the playback speed, the clock,
// and the installer's arguments.
#pragma once

#include <ctime>
#include <string>

namespace client_app {

// "* DVR Name : NAME\n* DVR Address :\n\tADDRESS\n* admin mode" (or "user mode"), with the two
// labels in the current language.
std::string InformationText(bool admin, const std::string& nameLabel, const std::string& name,
                            const std::string& addressLabel, const std::string& address);
// "+1X" .. "+128X", "Step forward", "+1/4X", "+1/2X", "-1X" .. "-128X", "Step reverse" for the
// recorder's playback state code; empty for 0 and any other code.
std::string PlaybackStateLabel(int code);
// "Playback( LABEL )".
std::string PlaybackModeText(int code);
// "%Y - %m - %d  %H : %M : %S" of a local time.
std::string ClockText(const std::tm& local);
// The installer's arguments "-%d -%s -%s -%s -%s -%d -%d": channel count, "PAL" for picture
// heights 288 and 576 else "NTSC", address, port, password, language identifier, 1.
std::string InstallerArguments(int channels, int pictureHeight, const std::string& address,
                               const std::string& port, const std::string& password,
                               int languageId);
// Used and free disk space as the window shows them ("%.1f GB").
std::string SpaceText(unsigned long long bytes);

}  // namespace client_app
