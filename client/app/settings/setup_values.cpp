#include "client/app/settings/setup_values.h"

#include <filesystem>
#include <system_error>

namespace client {

SetupValues SetupValues::Load(ClientSettings& settings) {
    SetupValues v;
    v.recordPath = settings.RecordPath();
    v.backupPath = settings.BackupPath();
    v.capturePath = settings.CapturePath();
    v.waterMark = settings.WaterMark();
    v.copyQuenby = settings.CopyQuenby();
    v.eventSound = settings.EventSound();
    v.displayType = settings.DisplayType();
    v.deInterlaced = settings.DeInterlaced();
    return v;
}

bool SetupValues::Store(ClientSettings& settings) const {
    bool ok = settings.SetRecordPath(recordPath);
    ok = settings.SetBackupPath(backupPath) && ok;
    ok = settings.SetWaterMark(waterMark) && ok;
    ok = settings.SetCapturePath(capturePath) && ok;
    ok = settings.SetEventSound(eventSound) && ok;
    ok = settings.SetDisplayType(displayType) && ok;
    ok = settings.SetDeInterlaced(deInterlaced) && ok;
    return settings.SetCopyQuenby(copyQuenby) && ok;
}

bool PrepareFolder(const std::string& folder) {
    if (folder.empty()) return false;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return std::filesystem::is_directory(folder, ec);
}

CaptionPlace SetupCaptionPlace(int caption, ui::Language language) {
    using L = ui::Language;
    const bool western = language == L::German || language == L::English ||
                         language == L::Spanish || language == L::French;
    switch (caption) {
        case kCaptionRecordPath:
            return {western ? 40 : 47, 25};
        case kCaptionBackupPath:
            return {western || language == L::Japanese ? 85 : 92, 25};
        case kCaptionCapturePath:
            if (language == L::Spanish) return {125, 45};
            if (language == L::German || language == L::French) return {132, 45};
            return {137, 40};
        case kCaptionWaterMark:
            return {language == L::Spanish || language == L::German ? 175 : 182, 25};
        case kCaptionLanguage:
            return {227, 20};
        case kCaptionEventSound:
            return {252, 20};
        case kCaptionDisplayType:
            return {277, 40};
        case kCaptionDeInterlaced:
            return {302, 20};
        default:
            return {0, 20};
    }
}

}  // namespace client
