#include "ui/language_pack.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <array>

#include "player/player_strings.h"
#include "ui/skin_button.h"
#include "ui/skin_dialog.h"
#include "ui/skin_resources.h"
#include "widget_support.h"

namespace ui {
namespace {

constexpr std::array<SkinButtonSpec, 3> kButtons = {{
    {82, 546, 125, 593, 716, 176, 240, 177},
    {137, 546, 180, 593, 718, 233, 241, 217},
    {188, 546, 231, 593, 724, 224, 225, 223},
}};
constexpr platform::StringEntry kTexts[] = {
    {716, "Connect"}, {718, "FullScreen"}, {724, "Exit"}, {2046, "Now Telva_M4 is executing!!"}};

QString Text(const platform::StringTable& table, int id) {
    const std::string_view t = table.Text(id);
    return QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size()));
}

class LanguagePackTest : public testing::Test {
  protected:
    LanguagePackTest() : strings_(kTexts), pack_(strings_), dialog_(kButtons, strings_) {
        EXPECT_TRUE(dialog_.Frame().Create(130, 3));
    }
    QStringList Tooltips() {
        QStringList out;
        for (int i = 0; i < 3; ++i)
            out << dialog_.Frame().Button(i)->toolTip();
        return out;
    }

    platform::StringTable strings_;
    LanguagePack pack_;
    SkinDialog dialog_;
};

TEST_F(LanguagePackTest, APackSwitchesEveryTooltipAndTextAndEnglishSwitchesBack) {
    ASSERT_TRUE(pack_.Load(DVR_CLIENT_DIR, "Telva_M4", Language::German).ok);
    EXPECT_EQ(pack_.LanguageId(), 1031);
    dialog_.Frame().RefreshTooltips(3);
    EXPECT_EQ(Tooltips(), (QStringList{QStringLiteral("Verbinden"), QStringLiteral("Vollbild"),
                                       QStringLiteral("Beenden")}));
    EXPECT_EQ(Text(strings_, 2046), QStringLiteral("Telva_M4 läuft bereits!!"));

    ASSERT_TRUE(pack_.Load(DVR_CLIENT_DIR, "Telva_M4", Language::Korean).ok);
    dialog_.Frame().RefreshTooltips(3);
    EXPECT_EQ(Tooltips()[0], QStringLiteral("연결"));

    ASSERT_TRUE(pack_.Load(DVR_CLIENT_DIR, "Telva_M4", Language::English).ok);
    EXPECT_EQ(pack_.LanguageId(), 1033);
    dialog_.Frame().RefreshTooltips(3);
    EXPECT_EQ(Tooltips(), (QStringList{QStringLiteral("Connect"), QStringLiteral("FullScreen"),
                                       QStringLiteral("Exit")}));
}

TEST_F(LanguagePackTest, AMissingPackReportsItsLoadErrorAndKeepsTheLanguage) {
    ASSERT_TRUE(pack_.Load(DVR_CLIENT_DIR, "Telva_M4", Language::German).ok);
    QTemporaryDir empty;
    const LanguagePack::Result result =
        pack_.Load(empty.path().toStdString() + "/", "Telva_M4", Language::Korean);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "Telva_M4_KoreanDll.rcc Load Error");
    EXPECT_EQ(pack_.Current(), Language::German);
    EXPECT_EQ(Text(strings_, 724), QStringLiteral("Beenden"));
}

TEST_F(LanguagePackTest, ADamagedPackIsRefusedWithoutLosingTheCurrentOne) {
    ASSERT_TRUE(pack_.Load(DVR_CLIENT_DIR, "Telva_M4", Language::German).ok);
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    // Not a resource file at all.
    QFile garbage(QString::fromStdString(folder + "Telva_M4_KoreanDll.rcc"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("MZ\x90\x00 not a pack");
    garbage.close();
    EXPECT_FALSE(pack_.Load(folder, "Telva_M4", Language::Korean).ok);
    // A real pack cut short.
    QFile whole(QStringLiteral(DVR_CLIENT_DIR "Telva_M4_KoreanDll.rcc"));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly | QIODevice::Truncate));
    garbage.write(bytes.left(bytes.size() / 2));
    garbage.close();
    EXPECT_FALSE(pack_.Load(folder, "Telva_M4", Language::Korean).ok);

    EXPECT_EQ(pack_.Current(), Language::German);
    EXPECT_EQ(Text(strings_, 716), QStringLiteral("Verbinden"));
}

TEST_F(LanguagePackTest, APackReplacesBitmapsUnderTheSameNumberUntilItIsUnloaded) {
    SkinButton& button = *dialog_.Frame().Button(0);
    button.ReplaceBitmaps(144, 166, 145);
    const QRect area(82, 546, 43, 47);
    ASSERT_TRUE(test::Shows(test::Picture(dialog_), area, test::Artwork(144)));

    ASSERT_TRUE(pack_.Load(DVR_TEST_PACK_DIR, "Test_M4", Language::German).ok);
    const QImage replacement = test::Artwork(301);
    EXPECT_EQ(SkinBitmap(144, 1.0).toImage().convertToFormat(QImage::Format_RGB32), replacement);
    EXPECT_TRUE(test::Shows(test::Picture(dialog_), QRect(area.topLeft(), replacement.size()),
                            replacement));
    // A bitmap the pack does not replace stays the built-in one.
    EXPECT_TRUE(test::Shows(test::Picture(dialog_), QRect(137, 546, 42, 33), test::Artwork(233)));

    pack_.Unload();
    EXPECT_TRUE(test::Shows(test::Picture(dialog_), area, test::Artwork(144)));
}

TEST(SkinBitmaps, HighDensityScreensGetTheDoubleSizeArtwork) {
    const QPixmap normal = SkinBitmap(144, 1.0);
    const QPixmap sharp = SkinBitmap(144, 2.0);
    EXPECT_EQ(normal.size(), QSize(43, 47));
    EXPECT_EQ(sharp.size(), QSize(86, 94));
    EXPECT_EQ(sharp.deviceIndependentSize(), QSizeF(43, 47));
    EXPECT_TRUE(SkinBitmap(999999, 2.0).isNull());
    EXPECT_FALSE(SkinSoundPath(408).isEmpty());
}

std::unordered_map<int, std::string> PackSource(const char* name) {
    QFile file(QStringLiteral(DVR_SOURCE_DIR "/ui/lang/%1.txt").arg(QLatin1String(name)));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    const QByteArray text = file.readAll();
    std::string error;
    auto texts = ParseStringPack(std::string_view(text.constData(), text.size()), &error);
    EXPECT_TRUE(texts) << name << ": " << error;
    return texts ? *texts : std::unordered_map<int, std::string>{};
}

// Every text of the player's built-in table has a translation in both of its packs, and the
// client's packs translate the same texts.
TEST(LanguagePackSources, TranslateTheWholeTables) {
    const platform::StringTable& english = player::PlayerStrings();
    for (const char* name : {"Orvane_M4_German", "Orvane_M4_Korean"}) {
        const auto pack = PackSource(name);
        for (int id = 1; id < 10000; ++id) {
            if (!english.Text(id).empty()) {
                EXPECT_TRUE(pack.count(id)) << name << " lacks " << id;
            }
        }
    }
    const auto german = PackSource("Telva_M4_German");
    const auto korean = PackSource("Telva_M4_Korean");
    EXPECT_EQ(german.size(), korean.size());
    for (const auto& [id, text] : german)
        EXPECT_TRUE(korean.count(id)) << id;
}

}  // namespace
}  // namespace ui
