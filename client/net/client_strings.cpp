#include "client/net/client_strings.h"

namespace client {
namespace {

constexpr platform::StringEntry kEnglish[] = {
    {708, "Zoom In"},
    {709, "Zoom Out"},
    {710, "Focus Far"},
    {711, "Focus Near"},
    {712, "Right"},
    {713, "Left"},
    {714, "Top"},
    {715, "Bottom"},
    {727, "Set"},
    {728, "Goto"},
    {749, "Rev.Play"},
    {750, "Play"},
    {751, "Pause"},
    {752, "Stop"},
    {753, "Prev.Frame"},
    {754, "Next Frame"},
    {755, "Slow"},
    {756, "Fast"},
    {2000, "Check Connection!!"},
    {2024, "Backup completed."},
    {2036, "User Unknown Error!!"},
    {2037, "Password Miss Error!!"},
    {2038, "Protocol Version Error!!"},
    {2039, "Client Limit Error!!"},
    {2040, "Super Exist Error!!"},
    {2041, "No Video Data Error!!"},
    {2042, "No Video Channel Error!!"},
    {2043, "ETC Error!!"},
    {2045, "Begin Thread failed..!!"},
    {2051, "Record Failed!! HDD Full!!"},
    {2052, "Backup Failed!! HDD Full!!"},
    {2061, "This model can not be supported."},
    {2063, "No More Video!!"},
    {2080, "Record Failed!! The recording file cannot be written."},
    {2081, "Backup Failed!! The backup file cannot be written."},
    {2082, "Record Failed!! The disk cannot keep up with the recording."},
    {2083, "Backup Failed!! The disk cannot keep up with the backup."},
};

}  // namespace

platform::StringTable& ClientStrings() {
    static platform::StringTable table(kEnglish);
    return table;
}

}  // namespace client
