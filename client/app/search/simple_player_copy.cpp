#include "client/app/search/simple_player_copy.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace client::search {
namespace {

bool IsLanguagePack(const std::string& name) {
    const std::string prefix = std::string(kSimplePlayerName) + "_";
    const std::string suffix = "Dll.rcc";
    return name.size() > prefix.size() + suffix.size() && name.starts_with(prefix) &&
           name.ends_with(suffix);
}

// Copies one file beside its target first and renames it into place, so a copy that fails half
// way never leaves a broken file where a good one was.
bool CopyInto(const fs::path& source, const fs::path& folder) {
    const fs::path target = folder / source.filename();
    const fs::path partial = folder / ("." + source.filename().string() + ".part");
    std::error_code ec;
    fs::copy_file(source, partial, fs::copy_options::overwrite_existing, ec);
    if (!ec) fs::rename(partial, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(partial, ignored);
        return false;
    }
    return true;
}

}  // namespace

SimplePlayerCopy CopySimplePlayer(bool enabled, const std::string& programDir,
                                  const std::string& backupFolder) {
    if (!enabled) return SimplePlayerCopy::Skipped;
    const fs::path program = fs::path(programDir) / kSimplePlayerName;
    std::error_code ec;
    if (!fs::is_regular_file(program, ec)) return SimplePlayerCopy::Missing;
    const fs::path folder(backupFolder);
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec)) return SimplePlayerCopy::Failed;
    if (!CopyInto(program, folder)) return SimplePlayerCopy::Failed;
    for (fs::directory_iterator it(programDir, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file(ec) && IsLanguagePack(it->path().filename().string()) &&
            !CopyInto(it->path(), folder))
            return SimplePlayerCopy::Failed;
    }
    return SimplePlayerCopy::Copied;
}

std::vector<int> BackupEndMessages(SimplePlayerCopy copy, BackupKind kind) {
    std::vector<int> messages;
    if (copy == SimplePlayerCopy::Missing) messages.push_back(kTextSimplePlayerMissing);
    if (copy == SimplePlayerCopy::Failed) messages.push_back(kTextSimplePlayerCopyFailed);
    if (kind == BackupKind::Files) messages.push_back(kTextBackupCompleted);
    return messages;
}

}  // namespace client::search
