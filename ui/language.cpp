#include "ui/language.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace ui {
namespace {

constexpr std::array<LanguageInfo, 9> kLanguages = {{
    {Language::English, "ENGLISH", "English", 1033},
    {Language::Korean, "KOREAN", "Korean", 1042},
    {Language::Japanese, "JAPAN", "Japan", 1041},
    {Language::Spanish, "SPAIN", "Spain", 1034},
    {Language::German, "GERMAN", "German", 1031},
    {Language::French, "FRENCH", "French", 1036},
    {Language::Polish, "POLISH", "Polish", 1045},
    {Language::Russian, "RUSSIAN", "Russian", 1049},
    {Language::Italian, "ITALIAN", "Italian", 1040},
}};

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

// Undoes the escapes of one text; false on a dangling or unknown escape.
bool Unescape(std::string_view in, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] != '\\') {
            out.push_back(in[i]);
            continue;
        }
        if (++i == in.size()) return false;
        switch (in[i]) {
            case 'n':
                out.push_back('\n');
                break;
            case 't':
                out.push_back('\t');
                break;
            case '\\':
                out.push_back('\\');
                break;
            default:
                return false;
        }
    }
    return true;
}

}  // namespace

const LanguageInfo& InfoOf(Language language) {
    return kLanguages[static_cast<std::size_t>(language)];
}

std::optional<Language> LanguageFromSettingsWord(std::string_view word) {
    for (const LanguageInfo& info : kLanguages) {
        if (EqualsIgnoringCase(word, info.settingsWord)) return info.language;
    }
    return std::nullopt;
}

Language LanguageFromId(int languageId) {
    for (const LanguageInfo& info : kLanguages) {
        if (info.languageId == languageId) return info.language;
    }
    return Language::English;
}

std::string PackFileName(std::string_view program, Language language) {
    std::string name(program);
    name += '_';
    name += InfoOf(language).packSuffix;
    name += "Dll.rcc";
    return name;
}

std::optional<std::unordered_map<int, std::string>> ParseStringPack(std::string_view text,
                                                                    std::string* error) {
    std::unordered_map<int, std::string> texts;
    int lineNo = 0;
    auto fail = [&](const char* why) {
        if (error) *error = "line " + std::to_string(lineNo) + ": " + why;
        return std::nullopt;
    };
    while (!text.empty()) {
        ++lineNo;
        const std::size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view{} : text.substr(eol + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos) return fail("no tab after the identifier");
        const std::string_view digits = line.substr(0, tab);
        if (digits.empty() || digits.size() > 6 ||
            !std::all_of(digits.begin(), digits.end(),
                         [](char c) { return c >= '0' && c <= '9'; })) {
            return fail("the identifier is not a number");
        }
        const int id = std::stoi(std::string(digits));
        std::string value;
        if (!Unescape(line.substr(tab + 1), value)) return fail("bad escape");
        if (!texts.emplace(id, std::move(value)).second) return fail("identifier given twice");
    }
    return texts;
}

}  // namespace ui
