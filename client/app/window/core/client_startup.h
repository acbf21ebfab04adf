// What the remote client decides before its window opens: the system language identifier of the
// locale (which the client's language table then maps), the language identifier in use once the
// pack was tried, and the command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ui/language.h"

namespace client_app {

// The system language identifier of a locale name such as "de_CH.UTF-8" (1033 when unknown).
int LanguageIdOfLocale(const std::string& localeName);
// The interface language identifier once the pack of `language` was tried: 255 when it could
// not be loaded (the built-in English resources stay).
int LanguageIdAfterLoad(ui::Language language, bool loaded);

struct CommandLine {
    std::string host;  // --connect HOST[:PORT]
    uint16_t port = 80;
    std::string user = "admin";  // --user admin|user
    std::string dvrName;         // --dvr-name NAME (default: the host)
    std::string screenshot;      // --screenshot OUT.png
    int seconds = 5;             // --seconds N
    bool stats = false;          // --stats: pictures shown per second, printed at the end
    std::string error;           // set when the arguments are wrong
    bool connect() const { return !host.empty(); }
};
CommandLine ParseCommandLine(const std::vector<std::string>& args);

}  // namespace client_app
