// Writes a stream of records into recording folders the way the remote client records: a pair
// opens lazily at the first Intra picture, every channel starts at its own first Intra, and a
// pair ends once its pictures reach five minutes past the minute it started in (a picture's time
// as its ChannelClock says); the next pair goes into the same folder. The folder's calendar file
// ".cdb" is created with its first pair and gets one entry per recorded minute.
//
// Nothing written before is ever replaced: each recording gets a folder of its own (a numbered
// suffix when the name is taken), and a pair whose name is taken in its folder gets a numbered
// suffix too.
//
// What has been written stays playable if the program or the machine dies: records reach the data
// file before their index entries; a minute's calendar entry is written with the minute's first
// picture and updated as channels join it, so the calendar never misses a minute the pair holds;
// and the pair and the calendar are pushed to the disk together whenever a recorded minute ends
// and when the pair closes. A file that cannot be created or written ends the
// recording cleanly: the pair is closed at its last whole record, and every later write reports
// the error until Stop.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "media/calendar_file.h"
#include "media/channel_clock.h"
#include "media/frame_header.h"
#include "media/recording_pair_writer.h"

namespace media {

class RecordingSession {
  public:
    enum class Result {
        kWritten,
        kDropped,  // not written: channel not recorded or not started in this pair
        kError,    // a file could not be created or written; see error()
    };

    // Folders are named root + dvrName + "_" + first pair's base name (then "_2", "_3", ... when
    // that folder exists), with dvrName made one safe path component.
    RecordingSession(std::string root, std::string dvrName);
    ~RecordingSession();

    void setRecordedChannels(uint16_t mask) { recorded_ = mask; }
    // What the recorder said about itself (its channel-information packet): the channel count
    // and the 16 channel titles, written into the header of each new calendar file.
    void setChannelInfo(int channelCount, const std::array<std::string, kCalendarChannels>& titles);
    uint16_t recordedChannels() const { return recorded_; }

    // A whole video record (header and payload).
    Result WriteVideo(const uint8_t* record, size_t size);
    // A whole audio record; written into the open pair, dropped while none is open.
    Result WriteAudio(const uint8_t* record, size_t size);
    // Closes the pair and forgets the folder: the next recording gets a new folder. A recording
    // that failed may start again after Stop (error() keeps the reason).
    void Stop();

    bool pairOpen() const { return writer_.isOpen(); }
    const std::string& folder() const { return folder_; }
    const std::string& currentDataPath() const { return writer_.dataPath(); }
    WriteError error() const { return error_; }
    // A file could not be created or written: nothing more is written until Stop.
    bool failed() const { return failed_; }
    int pairsOpened() const { return pairsOpened_; }
    // The calendar file could not be created or written (the recording failed with it).
    bool calendarFailed() const { return calendarFailed_; }
    const std::string& calendarPath() const { return calendar_.path(); }

    static constexpr int64_t kSplitSeconds = 300;

  private:
    Result OpenPair(const FrameHeader& first);
    void ClosePair(bool keepFolder);
    bool OpenCalendar(const std::string& baseName);
    bool CreateOwnFolder(const std::string& baseName);
    WriteError OpenFreshPair(const std::string& baseName);
    bool NoteMinute(const PictureTime& t, const FrameHeader& h);
    bool SyncFiles();
    Result Fail(WriteError error);

    std::string root_;
    std::string folderName_;  // the recorder's name as a path component
    uint16_t recorded_ = 0xFFFF;
    uint16_t started_ = 0;
    bool splitPending_ = false;
    int64_t pairStartMinute_ = 0;
    ChannelClock clock_;
    std::string folder_;
    RecordingPairWriter writer_;
    WriteError error_ = WriteError::kNone;
    bool failed_ = false;
    int pairsOpened_ = 0;

    CalendarHeader calendarHeader_;
    CalendarWriter calendar_;
    // The latest minutes of the calendar with where their entries are, so a picture of a minute
    // that has an entry (a Predicted picture counted at its Intra's minute, a split within a
    // minute) updates it instead of adding another.
    struct OpenMinute {
        DayEntry entry;
        size_t slot = 0;
    };
    static constexpr size_t kOpenMinutes = 4;
    std::vector<OpenMinute> openMinutes_;
    bool calendarFailed_ = false;
};

// Creates every missing level of `folder`; false when that fails.
bool CreateFolderLevels(const std::string& folder);

}  // namespace media
