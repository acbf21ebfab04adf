#include "platform/string_table.h"

#include <gtest/gtest.h>

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

}  // namespace
