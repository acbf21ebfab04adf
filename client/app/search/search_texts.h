// The numbered texts of the search, playback and backup dialogs, from the client's table in the
// current language.
#pragma once

#include <QString>

namespace client::search {

enum SearchTextId : int {
    kTextMotionHelp = 508,
    kTextSensorHelp = 509,
    kTextManualHelp = 510,
    kTextStartHelp = 511,
    kTextEndHelp = 512,
    kTextBackupStart = 513,
    kTextBackupEnd = 514,
    kTextBackupMode = 515,
    kTextPlay = 764,
    kTextClose = 765,
    kTextStartTime = 2011,
    kTextEndTime = 2012,
    kTextChannel = 2013,
    kTextEvent = 2014,
    kTextSelectFile = 2030,
};

QString SearchText(int id);

}  // namespace client::search
