// The backup of a time range chosen in the calendar dialog: the recorder plays the range of the
// chosen channels and the connection records it into the backup folder; in the double-speed
// mode the recorder is asked for "Fast" when the data starts and whenever it leaves "+2X". The
// window hands on the connection's notifications and acts on what each one means for the backup.
#pragma once

#include <cstdint>
#include <string>

#include "client/net/dvr_connection.h"
#include "client/net/playback.h"

namespace client::search {

// The range the calendar dialog hands over.
struct BackupChoice {
    std::string start;      // "YYYYMMDDhhmmss"
    std::string end;        // "YYYYMMDDhhmmss"
    uint32_t channels = 0;  // bit n: channel n
    int mode = 0;           // 0 as recorded, 1 double speed
};

class TimeRangeBackup {
  public:
    explicit TimeRangeBackup(DvrConnection& connection) : connection_(connection) {}

    // Stops the stream that is up and starts the backup download. False (and nothing changed)
    // when the range is empty or malformed or no channel is chosen.
    bool Start(const BackupChoice& choice);

    enum class Event {
        None,
        DataStarted,  // the backup's data arrives: open the progress box
        Finished,     // the backup ended: close the box, copy the simple player, go on
    };
    // A notification of the connection, on the window's thread.
    Event OnNotification(Notification message, int parameter);

    // Ends a running backup at once (what arrived stays on the disk).
    void Cancel();

    bool running() const { return running_; }
    // The last backup reached the end of its range.
    bool completed() const { return completed_; }

  private:
    void Finish(bool completed);

    DvrConnection& connection_;
    BackupFastMode fast_;
    bool running_ = false;
    bool completed_ = false;
};

}  // namespace client::search
