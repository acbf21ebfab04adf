// What the setup dialog edits: the client's folders and files, the switches, and where its captions
// sit for each language (translated captions wrap differently).
#pragma once

#include <string>

#include "client/app/settings/client_settings.h"
#include "ui/language.h"

namespace client {

struct SetupValues {
    std::string recordPath;
    std::string backupPath;
    std::string capturePath;
    std::string waterMark;
    bool copyQuenby = false;
    bool eventSound = false;
    int displayType = 0;  // 0 YUV, 1 RGB
    bool deInterlaced = true;

    // Reads every value (missing ones are created with their defaults).
    static SetupValues Load(ClientSettings& settings);
    // Stores every value; folders get a trailing "/". False when the settings file cannot be
    // written.
    bool Store(ClientSettings& settings) const;
};

// Makes sure `folder` exists (parents included) so a chooser can open it; false when it cannot be
// created.
bool PrepareFolder(const std::string& folder);

// The setup dialog's captions, by their control identifiers.
enum SetupCaption : int {
    kCaptionRecordPath = 1106,
    kCaptionBackupPath = 1104,
    kCaptionCapturePath = 1033,
    kCaptionWaterMark = 1031,
    kCaptionLanguage = 1032,
    kCaptionEventSound = 774,
    kCaptionDisplayType = 1100,
    kCaptionDeInterlaced = 1108,
};

struct CaptionPlace {
    int y;
    int height;
};
// Where `caption` sits in `language` (x 5, width 155 for all of them).
CaptionPlace SetupCaptionPlace(int caption, ui::Language language);

}  // namespace client
