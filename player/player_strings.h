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
};

// The process-wide table of the player's texts.
platform::StringTable& PlayerStrings();

}  // namespace player
