#include "player/player_startup.h"

#include <algorithm>

#include "media/wall_time.h"
#include "player/player_layout.h"

namespace player {

ui::Language LanguageForSystemId(int id) {
    static constexpr int kGerman[] = {0x0407, 0x0807, 0x1007};
    static constexpr int kFrench[] = {0x040C, 0x080C, 0x0C0C, 0x100C, 0x140C};
    auto in = [id](const auto& list) { return std::find(std::begin(list), std::end(list), id) != std::end(list); };
    if (in(kGerman))
        return ui::Language::German;
    if (in(kFrench))
        return ui::Language::French;
    // Spanish: every sublanguage 0x04..0x50 of primary language 0x0A.
    if ((id & 0x3FF) == 0x0A && (id >> 10) >= 1 && (id >> 10) <= 20)
        return ui::Language::Spanish;
    switch (id) {
    case 0x0410:
        return ui::Language::Italian;
    case 0x0411:
        return ui::Language::Japanese;
    case 0x0412:
        return ui::Language::Korean;
    case 0x0415:
        return ui::Language::Polish;
    case 0x0419:
        return ui::Language::Russian;
    default:
        return ui::Language::English;
    }
}

ui::Language ChooseLanguage(const std::string& setting, int systemLanguageId) {
    if (const auto named = ui::LanguageFromSettingsWord(setting))
        return *named;
    return LanguageForSystemId(systemLanguageId);
}

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine out;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--layout" && hasValue) {
            const std::string& v = args[++i];
            const bool digits = !v.empty() && v.size() <= 2 &&
                                std::all_of(v.begin(), v.end(), [](char c) { return c >= '0' && c <= '9'; });
            out.layout = digits ? std::stoi(v) : -1;
            if (!ValidLayout(out.layout))
                out.error = "--layout wants a layout number from 0 to 22";
        } else if (a == "--at" && hasValue) {
            media::CivilTime t;
            if (!media::ParseCivil(args[++i], &t))
                out.error = "--at wants \"YYYY-MM-DD hh:mm:ss\"";
            else
                out.at = media::WallTimeOf(t.year - 1900, t.month - 1, t.day, t.hour, t.minute,
                                           t.second);
        } else if (a == "--screenshot" && hasValue) {
            out.screenshot = args[++i];
        } else if (!a.empty() && a[0] == '-') {
            out.error = "unknown option " + a;
        } else if (out.file.empty()) {
            out.file = a;
        } else {
            out.error = "only one file can be opened";
        }
        if (!out.error.empty())
            break;
    }
    return out;
}

}  // namespace player
