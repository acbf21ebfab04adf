// The player's numbered texts (English built in).
#pragma once

#include "platform/string_table.h"

namespace player {

enum PlayerText : int {
    kTextWatermarkIncompatible = 2008,
    kTextWatermarkPathInvalid = 2009,
    kTextImproperFileType = 2014,
    kTextYouCannotExtractWatermark = 2018,
    kTextFileCantOpened = 2021,
    kTextAudioFailed = 2022,
    kTextModelNotSupported = 2029,
    kTextNoMoreVideo = 2030,
    // Texts the program writes as they are, kept in the table under numbers of their own.
    kTextFileSizeTooBig = 9001,
    // The player's own commands and dialogs beyond the recorder's program (menu, exports).
    kTextMarkIn = 9002,
    kTextMarkOut = 9003,
    kTextExportClip = 9004,
    kTextExportEvidence = 9005,
    kTextLanguage = 9006,
    kTextStartTime = 9007,
    kTextChannel = 9008,
    kTextRange = 9009,
    kTextWholeRecording = 9010,
    kTextBetweenMarks = 9011,
    kTextFromTo = 9012,
    kTextFile = 9013,
    kTextFolder = 9014,
    kTextBrowse = 9015,
    kTextExport = 9016,
    kTextCancel = 9017,
    kTextExporting = 9018,
    kTextExported = 9019,  // "%1" pictures, "%2" the file or folder
    kTextMarkStart = 9020,
    kTextMarkEnd = 9021,
    kTextSaveAsPdf = 9022,
    kTextInsertWatermark = 9023,
};

// The process-wide table of the player's texts.
platform::StringTable& PlayerStrings();

}  // namespace player
