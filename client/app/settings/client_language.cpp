#include "client/app/settings/client_language.h"

#include "client/app/settings/client_settings.h"

namespace client {

ui::Language ClientLanguageForSystemId(int id) {
    using L = ui::Language;
    struct Row {
        int id;
        L language;
    };
    static constexpr Row kTable[] = {
        {1042, L::Korean}, {1041, L::Japanese}, {1031, L::German},  {2055, L::German},
        {3079, L::German}, {4103, L::German},   {5127, L::German},  {1036, L::French},
        {2060, L::French}, {3084, L::French},   {4108, L::French},  {5132, L::French},
        {1045, L::Polish}, {1049, L::Russian},  {1040, L::Italian},
    };
    for (const Row& row : kTable)
        if (row.id == id) return row.language;
    // Spanish: primary language 0x0A with sublanguages 1 to 20 (1034, 2058, ... 20490).
    if ((id & 0x3FF) == 0x0A && (id >> 10) >= 1 && (id >> 10) <= 20) return L::Spanish;
    return L::English;
}

ui::Language ChooseClientLanguage(const ClientSettings& settings, int systemLanguageId) {
    if (const auto named = settings.Language()) return *named;
    return ClientLanguageForSystemId(systemLanguageId);
}

const std::array<LanguageLabel, 9>& LanguageLabels() {
    static constexpr std::array<LanguageLabel, 9> kLabels = {{
        {ui::Language::English, 2031},
        {ui::Language::Korean, 2032},
        {ui::Language::Japanese, 733},
        {ui::Language::Spanish, 2057},
        {ui::Language::German, 2058},
        {ui::Language::French, 2059},
        {ui::Language::Polish, 2068},
        {ui::Language::Russian, 2069},
        {ui::Language::Italian, 2070},
    }};
    return kLabels;
}

}  // namespace client
