// What the remote client decides before its window opens: the interface language (the
// "Language" setting, else the system language through the client's identifier table), where it
// keeps its files, and the command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ui/language.h"

namespace client_app {

// The client's language of a system language identifier: 1042 Korean, 1041 Japanese, every
// Spanish sublanguage 1034..20490, German 1031/2055/3079/4103/5127, French 1036..5132, 1045
// Polish, 1049 Russian, 1040 Italian (not 2064); everything else English.
ui::Language LanguageForSystemId(int languageId);
// The system language identifier of a locale name such as "de_CH.UTF-8" (1033 when unknown).
int LanguageIdOfLocale(const std::string& localeName);
// The "Language" setting when it names a language (any case), else the system language.
ui::Language ChooseLanguage(const std::string& setting, int systemLanguageId);
// The interface language identifier once the pack of `language` was tried: 255 when it could
// not be loaded (the built-in English resources stay).
int LanguageIdAfterLoad(ui::Language language, bool loaded);

// The folder the client writes to ("IPList.db", default recording folders): $HALVEX_DATA, else
// $XDG_DATA_HOME/Halvex/, else ~/.local/share/Halvex/; ends with '/'.
std::string UserDataDirectory();

struct CommandLine {
    std::string host;  // --connect HOST[:PORT]
    uint16_t port = 80;
    std::string user = "admin";  // --user admin|user
    std::string dvrName;         // --dvr-name NAME (default: the host)
    std::string screenshot;      // --screenshot OUT.png
    int seconds = 5;             // --seconds N
    std::string error;           // set when the arguments are wrong
    bool connect() const { return !host.empty(); }
};
CommandLine ParseCommandLine(const std::vector<std::string>& args);

}  // namespace client_app
