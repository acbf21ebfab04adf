#include "ui/language.h"

#include <gtest/gtest.h>

namespace ui {
namespace {

TEST(Language, SettingsWordsIgnoreCaseAndNamePackFiles) {
    EXPECT_EQ(LanguageFromSettingsWord("korean"), Language::Korean);
    EXPECT_EQ(LanguageFromSettingsWord("German"), Language::German);
    EXPECT_EQ(LanguageFromSettingsWord("ENGLISH"), Language::English);
    EXPECT_EQ(LanguageFromSettingsWord("KLINGON"), std::nullopt);
    EXPECT_EQ(LanguageFromSettingsWord(""), std::nullopt);
    EXPECT_EQ(PackFileName("Orvane_M4", Language::German), "Orvane_M4_GermanDll.rcc");
    EXPECT_EQ(PackFileName("Telva_M4", Language::Spanish), "Telva_M4_SpainDll.rcc");
    EXPECT_EQ(LanguageFromId(1042), Language::Korean);
    EXPECT_EQ(LanguageFromId(2064), Language::English);
    EXPECT_EQ(InfoOf(Language::Japanese).languageId, 1041);
}

TEST(StringPack, ParsesIdentifiersTextsAndEscapes) {
    std::string error;
    const auto texts = ParseStringPack(
        "# comment\n\n130\tSchlie\xc3\x9f"
        "en\r\n2019\tWarnung!\\nAufnahme\\t\\\\\n101\t\n",
        &error);
    ASSERT_TRUE(texts) << error;
    EXPECT_EQ(texts->size(), 3u);
    EXPECT_EQ(texts->at(130),
              "Schlie\xc3\x9f"
              "en");
    EXPECT_EQ(texts->at(2019), "Warnung!\nAufnahme\t\\");
    EXPECT_EQ(texts->at(101), "");
}

TEST(StringPack, RejectsMalformedLinesNamingTheLine) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"130 Close\n", "line 1: no tab after the identifier"},
        {"1\tA\nx1\tB\n", "line 2: the identifier is not a number"},
        {"\tA\n", "line 1: the identifier is not a number"},
        {"12345678\tA\n", "line 1: the identifier is not a number"},
        {"1\tA\\\n", "line 1: bad escape"},
        {"1\tA\\q\n", "line 1: bad escape"},
        {"1\tA\n1\tB\n", "line 2: identifier given twice"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(ParseStringPack(c.text, &error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
}

}  // namespace
}  // namespace ui
