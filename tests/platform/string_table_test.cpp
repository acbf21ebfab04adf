#include "platform/string_table.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

constexpr platform::StringEntry kTable[] = {
    {2021, "File can't opened!"}, {2014, "Improper file type."}, {101, ""}};

TEST(StringTable, LooksUpEnglishAndOverlay) {
    platform::StringTable table(kTable);
    EXPECT_EQ(table.Text(2014), "Improper file type.");
    EXPECT_EQ(table.Text(2021), "File can't opened!");
    EXPECT_EQ(table.Text(101), "");
    EXPECT_EQ(table.Text(9999), "");
    table.SetOverlay({{2014, "Tipo de archivo incorrecto."}, {101, "Acerca de"}});
    EXPECT_EQ(table.Text(2014), "Tipo de archivo incorrecto.");
    EXPECT_EQ(table.Text(2021), "File can't opened!");  // untranslated texts stay English
    EXPECT_EQ(table.Text(101), "Acerca de");
    table.SetOverlay({});
    EXPECT_EQ(table.Text(2014), "Improper file type.");
}

// A reader that holds a snapshot keeps its texts while the language changes under it; readers on
// other threads see either language whole, never a torn text (this runs under ThreadSanitizer).
TEST(StringTable, LanguageSwitchesDoNotDisturbReaders) {
    platform::StringTable table(kTable);
    table.SetOverlay({{2014, "Tipo de archivo incorrecto."}});
    const auto held = table.Current();
    std::atomic<bool> done{false};
    std::atomic<int> odd{0};
    std::thread reader([&] {
        while (!done.load()) {
            const std::string t = table.Text(2014);
            if (t != "Improper file type." && t != "Tipo de archivo incorrecto.") ++odd;
        }
    });
    for (int i = 0; i < 2000; ++i)
        table.SetOverlay(
            i % 2 ? std::unordered_map<int, std::string>{}
                  : std::unordered_map<int, std::string>{{2014, "Tipo de archivo incorrecto."}});
    done.store(true);
    reader.join();
    EXPECT_EQ(odd.load(), 0);
    EXPECT_EQ(held->Text(2014), "Tipo de archivo incorrecto.");
}

}  // namespace
