// The client's choice of interface language: its table of system language identifiers, the
// start-up choice from the "Language" setting, and the labels of the setup dialog's language list.
#pragma once

#include <array>
#include <string>

#include "ui/language.h"

namespace client {

class ClientSettings;

// The language of a system language identifier by the client's table: 1031, 2055, 3079, 4103 and
// 5127 are German (so 2055, Swiss German, is German), 1040 only is Italian (so 2064, Swiss Italian,
// is English), the twenty Spanish identifiers are Spanish, and so on; every identifier the table
// does not list is English.
ui::Language ClientLanguageForSystemId(int languageId);

// The start-up language: the language the "Language" setting names (case ignored), else the
// system language through the table above.
ui::Language ChooseClientLanguage(const ClientSettings& settings, int systemLanguageId);

// The languages of the setup dialog's list, in their order, with the string identifier of each
// label ("English" 2031, "Korean" 2032, "Japanese" 733, ...).
struct LanguageLabel {
    ui::Language language;
    int textId;
};
const std::array<LanguageLabel, 9>& LanguageLabels();

}  // namespace client
