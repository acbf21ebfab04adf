#include "client/app/search/search_texts.h"

#include <string_view>

#include "client/app/search/simple_player_copy.h"
#include "client/net/client_strings.h"

namespace client::search {
namespace {

struct English {
    int id;
    std::string_view text;
};

constexpr English kEnglish[] = {
    {kTextMotionHelp, "Selected motion data"},
    {kTextSensorHelp, "Selected sensor data"},
    {kTextManualHelp, "Selected manual data"},
    {kTextStartHelp,
     "Selected start time : Double-click the left mouse button or drag the left mouse button"},
    {kTextEndHelp,
     "Selected end time : Double-click the right mouse button or drag the left mouse button"},
    {kTextBackupStart, "Backup Start Time"},
    {kTextBackupEnd, "Backup End Time"},
    {kTextBackupMode, "Backup Mode"},
    {kTextPlay, "Play"},
    {kTextClose, "Close"},
    {kTextStartTime, "StartTime"},
    {kTextEndTime, "EndTime"},
    {kTextChannel, "CH"},
    {kTextEvent, "Event"},
    {kTextBackupCompleted, "Backup completed."},
    {kTextSelectFile, "Please select a file."},
    {kTextSimplePlayerMissing, "Quenby copy failed.\nNo Quenby_M4.exe File."},
    {kTextSimplePlayerCopyFailed, "Quenby copy failed.\nThe backup folder cannot take it."},
};

}  // namespace

QString SearchText(int id) {
    const std::string text = ClientText(id);
    if (!text.empty()) return QString::fromStdString(text);
    for (const English& e : kEnglish)
        if (e.id == id)
            return QString::fromUtf8(e.text.data(), static_cast<qsizetype>(e.text.size()));
    return {};
}

}  // namespace client::search
