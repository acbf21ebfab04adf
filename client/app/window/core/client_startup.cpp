#include "client/app/window/core/client_startup.h"

#include <cstdlib>

namespace client_app {
namespace {

struct Primary {
    const char* code;  // ISO 639-1
    int primary;       // the system's primary language number
};
constexpr Primary kPrimaries[] = {
    {"en", 0x09}, {"ko", 0x12}, {"ja", 0x11}, {"es", 0x0A}, {"de", 0x07},
    {"fr", 0x0C}, {"pl", 0x15}, {"ru", 0x19}, {"it", 0x10},
};

// Sublanguage numbers by territory; a territory not listed takes sublanguage 1.
struct Territory {
    int primary;
    const char* territory;
    int sublanguage;
};
constexpr Territory kTerritories[] = {
    {0x07, "CH", 2},  {0x07, "AT", 3},  {0x07, "LU", 4},  {0x07, "LI", 5},  {0x0C, "BE", 2},
    {0x0C, "CA", 3},  {0x0C, "CH", 4},  {0x0C, "LU", 5},  {0x0C, "MC", 6},  {0x10, "CH", 2},
    {0x0A, "MX", 2},  {0x0A, "ES", 3},  {0x0A, "GT", 4},  {0x0A, "CR", 5},  {0x0A, "PA", 6},
    {0x0A, "DO", 7},  {0x0A, "VE", 8},  {0x0A, "CO", 9},  {0x0A, "PE", 10}, {0x0A, "AR", 11},
    {0x0A, "EC", 12}, {0x0A, "CL", 13}, {0x0A, "UY", 14}, {0x0A, "PY", 15}, {0x0A, "BO", 16},
    {0x0A, "SV", 17}, {0x0A, "HN", 18}, {0x0A, "NI", 19}, {0x0A, "PR", 20}, {0x09, "GB", 2},
    {0x09, "AU", 3},  {0x09, "CA", 4},  {0x09, "NZ", 5},  {0x09, "IE", 6},  {0x09, "ZA", 7},
};

bool AllDigits(const std::string& s) {
    if (s.empty() || s.size() > 5) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace

int LanguageIdOfLocale(const std::string& localeName) {
    // "de_CH.UTF-8@euro": language, then territory.
    const std::string name = localeName.substr(0, localeName.find_first_of(".@"));
    const std::string language = name.substr(0, name.find('_'));
    const std::string territory =
        name.find('_') == std::string::npos ? std::string() : name.substr(name.find('_') + 1);
    for (const Primary& p : kPrimaries) {
        if (language != p.code) continue;
        int sub = 1;
        for (const Territory& t : kTerritories)
            if (t.primary == p.primary && territory == t.territory) sub = t.sublanguage;
        return (sub << 10) | p.primary;
    }
    return 1033;
}

int LanguageIdAfterLoad(ui::Language language, bool loaded) {
    if (language == ui::Language::English) return 1033;
    return loaded ? ui::InfoOf(language).languageId : ui::kLanguageIdFallback;
}

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine out;
    for (size_t i = 0; i < args.size() && out.error.empty(); ++i) {
        const std::string& a = args[i];
        if (a == "--stats") {
            out.stats = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            out.error = a.rfind("--", 0) == 0 ? a + " needs a value" : "unexpected argument " + a;
            break;
        }
        const std::string& v = args[++i];
        if (a == "--connect") {
            // HOST, HOST:PORT, [V6ADDRESS] or [V6ADDRESS]:PORT
            std::string host = v, port;
            if (!v.empty() && v[0] == '[') {
                const size_t close = v.find(']');
                host = close == std::string::npos ? std::string() : v.substr(1, close - 1);
                if (close != std::string::npos && close + 1 < v.size()) {
                    if (v[close + 1] != ':') host.clear();
                    port = v.substr(close + 2);
                    if (port.empty()) host.clear();
                }
            } else if (v.find(':') != std::string::npos && v.find(':') == v.rfind(':')) {
                host = v.substr(0, v.find(':'));
                port = v.substr(v.find(':') + 1);
                if (port.empty()) host.clear();
            }
            if (!port.empty()) {
                const long n = AllDigits(port) ? std::strtol(port.c_str(), nullptr, 10) : 0;
                if (n < 1 || n > 65535) host.clear();
                out.port = static_cast<uint16_t>(n);
            }
            if (host.empty()) out.error = "--connect wants HOST[:PORT]";
            out.host = host;
        } else if (a == "--user") {
            if (v != "admin" && v != "user") out.error = "--user wants admin or user";
            out.user = v;
        } else if (a == "--dvr-name") {
            out.dvrName = v;
        } else if (a == "--screenshot") {
            out.screenshot = v;
        } else if (a == "--seconds") {
            const long n = AllDigits(v) ? std::strtol(v.c_str(), nullptr, 10) : -1;
            if (n < 0 || n > 3600) out.error = "--seconds wants a number from 0 to 3600";
            out.seconds = static_cast<int>(n);
        } else {
            out.error = "unknown option " + a;
        }
    }
    if (out.error.empty() && out.dvrName.empty()) out.dvrName = out.host;
    return out;
}

}  // namespace client_app
