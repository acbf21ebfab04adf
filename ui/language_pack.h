// Language packs: Qt binary resource files beside the program ("<program>_<Language>Dll.rcc")
// holding the translated string table ("lang/strings.txt", UTF-8) and any bitmaps or sounds they
// replace ("lang/bitmaps/<id>.png", "lang/sounds/<id>.wav"). A pack is data only: nothing in it is
// ever run. One LanguagePack per process, since the resources it registers are process-wide.
#pragma once

#include <QByteArray>
#include <string>
#include <string_view>

#include "platform/string_table.h"
#include "ui/language.h"

namespace ui {

class LanguagePack {
  public:
    struct Result {
        bool ok = false;
        std::string error;  // "<pack file name> Load Error" when not ok
    };

    // `table` is the program's string table; its overlay follows the loaded pack.
    explicit LanguagePack(platform::StringTable& table);
    ~LanguagePack();
    LanguagePack(const LanguagePack&) = delete;
    LanguagePack& operator=(const LanguagePack&) = delete;

    // Loads the pack of `language` for `program` from `directory` (ending in a separator).
    // English needs no pack and returns to the built-in texts and bitmaps. A pack that is missing,
    // unreadable or malformed leaves the current language in place and reports the load error.
    Result Load(const std::string& directory, std::string_view program, Language language);
    // Returns to the built-in English resources.
    void Unload();

    Language Current() const { return current_; }
    int LanguageId() const { return InfoOf(current_).languageId; }

  private:
    platform::StringTable& table_;
    QByteArray data_;  // the registered pack; Qt reads it in place
    Language current_ = Language::English;
};

}  // namespace ui
