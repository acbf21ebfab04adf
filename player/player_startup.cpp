#include "player/player_startup.h"

#include <algorithm>

#include "media/wall_time.h"
#include "player/player_layout.h"

namespace player {

ui::Language LanguageForSystemId(int id) {
    static constexpr int kGerman[] = {0x0407, 0x0807, 0x1007};
    static constexpr int kFrench[] = {0x040C, 0x080C, 0x0C0C, 0x100C, 0x140C};
    auto in = [id](const auto& list) {
        return std::find(std::begin(list), std::end(list), id) != std::end(list);
    };
    if (in(kGerman)) return ui::Language::German;
    if (in(kFrench)) return ui::Language::French;
    // Spanish: every sublanguage 0x04..0x50 of primary language 0x0A.
    if ((id & 0x3FF) == 0x0A && (id >> 10) >= 1 && (id >> 10) <= 20) return ui::Language::Spanish;
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

int LanguageIdOfLocale(const std::string& localeName) {
    struct Entry {
        const char* name;
        int id;
    };
    static constexpr Entry kIds[] = {
        {"de_DE", 0x0407}, {"de_CH", 0x0807}, {"de_AT", 0x0C07}, {"de_LU", 0x1007},
        {"de_LI", 0x1407}, {"fr_FR", 0x040C}, {"fr_BE", 0x080C}, {"fr_CA", 0x0C0C},
        {"fr_CH", 0x100C}, {"fr_LU", 0x140C}, {"es_ES", 0x0C0A}, {"es_MX", 0x080A},
        {"es_GT", 0x100A}, {"es_CR", 0x140A}, {"es_PA", 0x180A}, {"es_DO", 0x1C0A},
        {"es_VE", 0x200A}, {"es_CO", 0x240A}, {"es_PE", 0x280A}, {"es_AR", 0x2C0A},
        {"es_EC", 0x300A}, {"es_CL", 0x340A}, {"es_UY", 0x380A}, {"es_PY", 0x3C0A},
        {"es_BO", 0x400A}, {"es_SV", 0x440A}, {"es_HN", 0x480A}, {"es_NI", 0x4C0A},
        {"es_PR", 0x500A}, {"it_IT", 0x0410}, {"ja_JP", 0x0411}, {"ko_KR", 0x0412},
        {"pl_PL", 0x0415}, {"ru_RU", 0x0419}, {"en_US", 0x0409}, {"en_GB", 0x0809},
    };
    const std::string name = localeName.substr(0, localeName.find_first_of(".@"));
    for (const Entry& e : kIds)
        if (name == e.name) return e.id;
    return 0x0409;
}

ui::Language ChooseLanguage(const std::string& setting, int systemLanguageId) {
    if (const auto named = ui::LanguageFromSettingsWord(setting)) return *named;
    return LanguageForSystemId(systemLanguageId);
}

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine out;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--layout" && hasValue) {
            const std::string& v = args[++i];
            const bool digits =
                !v.empty() && v.size() <= 2 &&
                std::all_of(v.begin(), v.end(), [](char c) { return c >= '0' && c <= '9'; });
            out.layout = digits ? std::stoi(v) : -1;
            if (!ValidLayout(out.layout)) out.error = "--layout wants a layout number from 0 to 22";
        } else if (a == "--at" && hasValue) {
            media::CivilTime t;
            if (!media::ParseCivil(args[++i], &t))
                out.error = "--at wants \"YYYY-MM-DD hh:mm:ss\"";
            else
                out.at = media::WallTimeOf(t.year - 1900, t.month - 1, t.day, t.hour, t.minute,
                                           t.second);
        } else if (a == "--screenshot" && hasValue) {
            out.screenshot = args[++i];
        } else if (a == "--trace") {
            out.trace = true;
        } else if (!a.empty() && a[0] == '-') {
            out.error = "unknown option " + a;
        } else if (out.file.empty()) {
            out.file = a;
        } else {
            out.error = "only one file can be opened";
        }
        if (!out.error.empty()) break;
    }
    return out;
}

}  // namespace player
