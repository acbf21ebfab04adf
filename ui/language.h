// Interface languages, their settings words, identifiers and language pack file names, and the text
// form of a pack's string table.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace ui {

enum class Language {
    English,
    Korean,
    Japanese,
    Spanish,
    German,
    French,
    Polish,
    Russian,
    Italian
};

// The identifier of the interface language in use when a chosen pack failed to load.
inline constexpr int kLanguageIdFallback = 255;

struct LanguageInfo {
    Language language;
    std::string_view settingsWord;  // the "Language" setting, e.g. "GERMAN"
    std::string_view packSuffix;    // e.g. "German" in "Orvane_M4_GermanDll.rcc"
    int languageId;                 // e.g. 1031
};

const LanguageInfo& InfoOf(Language language);
// The language named by a "Language" setting, compared without regard to case.
std::optional<Language> LanguageFromSettingsWord(std::string_view word);
// The language of an interface language identifier (1042 Korean, ...); anything else is English.
Language LanguageFromId(int languageId);
// "Orvane_M4_GermanDll.rcc" for ("Orvane_M4", German).
std::string PackFileName(std::string_view program, Language language);

// A pack's string table as text: one "<id><TAB><text>" per line, "\n", "\t" and "\\" escaped, blank
// lines and lines starting with '#' ignored. Returns the texts, or nothing with `error` set to the
// first bad line's reason ("line 7: ...").
std::optional<std::unordered_map<int, std::string>> ParseStringPack(std::string_view text,
                                                                    std::string* error);

}  // namespace ui
