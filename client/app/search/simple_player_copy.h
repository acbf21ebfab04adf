// The copy of the simple player into the backup folder after a backup, so the backup plays on a
// machine without the suite: the program "Quenby_M4" and its language packs
// ("Quenby_M4_<Language>Dll.rcc") are copied from the program directory.
#pragma once

#include <string>
#include <vector>

namespace client::search {

inline constexpr char kSimplePlayerName[] = "Quenby_M4";

// Texts shown after a backup.
inline constexpr int kTextBackupCompleted = 2024;
inline constexpr int kTextSimplePlayerMissing = 2067;
inline constexpr int kTextSimplePlayerCopyFailed = 2090;

enum class SimplePlayerCopy {
    Skipped,  // the "CopyQuenby" setting is off
    Copied,
    Missing,  // no simple player in the program directory
    Failed,   // the backup folder could not take it (the older copy, if any, stays whole)
};

// Copies the simple player from `programDir` into `backupFolder` (both ending with '/'; the
// backup folder is created when missing) when `enabled`, replacing an older copy.
SimplePlayerCopy CopySimplePlayer(bool enabled, const std::string& programDir,
                                  const std::string& backupFolder);

enum class BackupKind { Files, TimeRange };

// The messages that follow a backup, in order: 2067 when the simple player is missing (2090 when it
// could not be copied), then 2024 "Backup completed." after a file backup (a time-range backup
// has shown it already).
std::vector<int> BackupEndMessages(SimplePlayerCopy copy, BackupKind kind);

}  // namespace client::search
