// What the player decides before its window opens: the interface language from the setting or
// the system language, and the command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ui/language.h"

namespace player {

// The language of a system language identifier by the player's own table (for example 0x0807
// is German and 0x0C07 English).
ui::Language LanguageForSystemId(int languageId);
// The system language identifier of a locale name such as "de_AT" (0x0409 when unknown).
int LanguageIdOfLocale(const std::string& localeName);
// "Language" when it names a language (any case), else the system language.
ui::Language ChooseLanguage(const std::string& setting, int systemLanguageId);

struct CommandLine {
    std::string file;
    int layout = -1;
    std::optional<int64_t> at;  // wall time (local time read as UTC)
    std::string screenshot;
    bool trace = false;  // report on standard error what the window did (for scripts)
    std::string error;   // set when the arguments are wrong
};
// FILE, "--layout N" (0..22), "--at 'YYYY-MM-DD hh:mm:ss'", "--screenshot OUT.png", "--trace".
CommandLine ParseCommandLine(const std::vector<std::string>& args);

}  // namespace player
