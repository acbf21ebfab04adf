// The remote client's settings: every value it keeps under the settings key, with its default and
// its write-back rule, behind typed accessors. Values are read where they are used (never cached),
// so a change made in a dialog takes effect at the next use.
//
// Folder values always end in "/"; numbers are decimal text, and a value that is not a number reads
// as 0.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry_store.h"
#include "ui/language.h"

namespace client {

// How a local recording ends.
enum class RecordingEndType : int { kContinuous = 0, kDuration = 1, kEndTime = 2 };

// The durations, in minutes, that a duration-bound recording offers (the first is the default).
inline constexpr std::array<int, 10> kRecordingDurations = {1, 2, 5, 10, 30, 60, 90, 120, 150, 180};

// The longest keyword stored with a recording, in characters.
inline constexpr int kRecordKeywordMaxLength = 10;

// `path` with a trailing "/" (an empty path stays empty).
std::string WithTrailingSlash(std::string path);

// The folder the client writes into by default: $HALVEX_DATA, else $XDG_DATA_HOME/Halvex/, else
// ~/.local/share/Halvex/ (always ending in "/").
std::string ClientDataDirectory();

class ClientSettings {
  public:
    // `programDir` holds what the client only reads (the default watermark file); `dataDir` is
    // where its default folders for recordings, backups and stills go. Both end in "/".
    ClientSettings(platform::RegistryStore& store, std::string programDir, std::string dataDir);
    // Over the process-wide settings file, the running program's folder and ClientDataDirectory().
    static ClientSettings ForThisProgram();

    // Folders and files. Missing (or empty) values are written back with their defaults at once:
    // "RecordPath" data folder + "Record/", "BackupPath" + "Backup/", "CapturePath" + "Frame/",
    // "WaterMark" program folder + "Mark4015.raw". Folder values read from the file are given a
    // trailing "/" when it is missing.
    std::string RecordPath();
    std::string BackupPath();
    std::string CapturePath();
    std::string WaterMark();
    // Folders are stored with a trailing "/" (added when missing); the watermark as given.
    bool SetRecordPath(std::string_view folder);
    bool SetBackupPath(std::string_view folder);
    bool SetCapturePath(std::string_view folder);
    bool SetWaterMark(std::string_view file);

    // Switches, each written back with its default when missing: "EventSound" off, "DisplayType" 0
    // (YUV; 1 is RGB), "DeInterlaced" on, "CopyQuenby" off.
    bool EventSound();
    int DisplayType();
    bool DeInterlaced();
    bool CopyQuenby();
    bool SetEventSound(bool on);
    bool SetDisplayType(int type);
    bool SetDeInterlaced(bool on);
    bool SetCopyQuenby(bool on);

    // "Language": the language its word names, compared without regard to case; nothing when it
    // is missing or names no language (the system language decides then). Never written on read.
    std::optional<ui::Language> Language() const;
    // Stores the language's word ("KOREAN", ...).
    bool SetLanguage(ui::Language language);
    // The stored word as it is (empty when missing), and whether it exists at all.
    bool LanguageWord(std::string* word) const;

    // The end type of local recordings: "0" (or missing or empty) continuous, "1" duration, "2"
    // end time; any other text leaves `current` unchanged. Never written on read.
    RecordingEndType RecordingEnd(RecordingEndType current = RecordingEndType::kContinuous) const;
    // "RecordingTime": the duration in minutes when it is one of kRecordingDurations, else the
    // first of them.
    int RecordingTime() const;
    // "RecordKeyword" (empty when missing).
    std::string RecordKeyword() const;
    // What the recording settings dialog stores on OK: the end type, the duration only for a
    // duration-bound recording, and the keyword every time (also when empty).
    bool StoreRecordingChoice(RecordingEndType type, int durationMinutes, std::string_view keyword);

    const std::string& ProgramDir() const { return programDir_; }
    const std::string& DataDir() const { return dataDir_; }

  private:
    std::string Folder(std::string_view name, std::string_view defaultFolder);
    std::string File(std::string_view name, const std::string& defaultFile);
    int Number(std::string_view name, int defaultValue);
    bool Read(std::string_view name, std::string* value) const;
    bool Write(std::string_view name, std::string_view value);

    platform::RegistryStore& store_;
    std::string programDir_;
    std::string dataDir_;
};

// The integer at the start of a settings text, as a plain text-to-integer conversion reads it:
// leading blanks, an optional sign, then digits; 0 when there are none. Saturates instead of
// overflowing.
int SettingsNumber(std::string_view text);

}  // namespace client
