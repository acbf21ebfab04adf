#include "ui/skin_frame.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <array>

#include "ui/art/telva_main_layout.h"
#include "ui/info_tip.h"
#include "ui/skin_button.h"
#include "ui/skin_dialog.h"
#include "ui/skin_resources.h"
#include "widget_support.h"

namespace ui {
namespace {

using test::Artwork;
using test::Picture;
using test::Shows;

// The first three layout buttons of the remote client's main window.
constexpr std::array<SkinButtonSpec, 3> kButtons = {{
    {82, 546, 125, 593, 700, 144, 166, 145},
    {137, 546, 180, 593, 701, 147, 146, 148},
    {188, 546, 231, 593, 702, 150, 149, 151},
}};
constexpr platform::StringEntry kTexts[] = {{700, "1ch ~ 4ch"}, {701, "5ch ~ 8ch"}};
constexpr int kBackground = 130;

QRect Area(int index) {
    const SkinButtonSpec& b = kButtons[static_cast<size_t>(index)];
    return QRect(QPoint(b.left, b.top), QPoint(b.right - 1, b.bottom - 1));
}

class SkinFrameTest : public testing::Test {
  protected:
    SkinFrameTest() : strings_(kTexts), dialog_(kButtons, strings_) {
        EXPECT_TRUE(dialog_.Frame().Create(kBackground, 3));
    }
    SkinButton& Button(int i) { return *dialog_.Frame().Button(i); }

    platform::StringTable strings_;
    SkinDialog dialog_;
};

TEST_F(SkinFrameTest, WindowTakesTheBackgroundSizeAndARoundedOutline) {
    EXPECT_EQ(dialog_.size(), QSize(880, 670));
    EXPECT_EQ(dialog_.Frame().ButtonCount(), 3);
    const QRegion outline = dialog_.mask();
    EXPECT_FALSE(outline.contains(QPoint(0, 0)));  // the corner is cut off
    EXPECT_FALSE(outline.contains(QPoint(879, 669)));
    EXPECT_TRUE(outline.contains(QPoint(7, 0)));
    EXPECT_TRUE(outline.contains(QPoint(440, 335)));
    const QImage picture = Picture(dialog_);
    EXPECT_EQ(picture.pixel(300, 20), Artwork(kBackground).pixel(300, 20));
}

TEST_F(SkinFrameTest, ButtonsShowNormalThenHoverThenPressedBitmaps) {
    QImage picture = Picture(dialog_);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(Shows(picture, Area(i), Artwork(kButtons[static_cast<size_t>(i)].normal))) << i;
    }

    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(&Button(1), &enter);
    EXPECT_TRUE(Button(1).IsHovering());
    picture = Picture(dialog_);
    EXPECT_TRUE(Shows(picture, Area(1), Artwork(148)));
    EXPECT_TRUE(Shows(picture, Area(0), Artwork(144)));

    Button(1).setDown(true);  // held down wins over hovering
    EXPECT_TRUE(Shows(Picture(dialog_), Area(1), Artwork(146)));

    Button(1).setDown(false);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&Button(1), &leave);
    EXPECT_TRUE(Shows(Picture(dialog_), Area(1), Artwork(147)));
}

TEST_F(SkinFrameTest, StateBitmapsSurviveHidingAndShowing) {
    dialog_.Frame().SetButtonBitmaps(0, 145, 166, 145);  // the active layout
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(&Button(1), &enter);  // hovered when hidden: no leave will follow
    dialog_.Frame().HideButtons(0, 2);
    EXPECT_FALSE(Button(0).isVisibleTo(&dialog_));
    EXPECT_FALSE(Button(1).isVisibleTo(&dialog_));
    EXPECT_TRUE(Button(2).isVisibleTo(&dialog_));
    QImage picture = Picture(dialog_);
    EXPECT_FALSE(Shows(picture, Area(1), Artwork(147)));

    dialog_.Frame().ShowButtons(0, 2);
    EXPECT_FALSE(Button(1).IsHovering());
    picture = Picture(dialog_);
    EXPECT_TRUE(Shows(picture, Area(0), Artwork(145)));
    EXPECT_TRUE(Shows(picture, Area(1), Artwork(147)));
}

TEST_F(SkinFrameTest, CommandsAndTooltipsUseTheCommandIdentifiers) {
    std::vector<int> commands;
    QObject::connect(&dialog_.Frame(), &SkinFrame::commandTriggered,
                     [&commands](int command) { commands.push_back(command); });
    Button(1).click();
    Button(0).click();
    EXPECT_EQ(commands, (std::vector<int>{701, 700}));

    EXPECT_EQ(Button(0).toolTip(), QStringLiteral("1ch ~ 4ch"));
    EXPECT_TRUE(Button(2).toolTip().isEmpty());  // empty text: no tooltip

    strings_.SetOverlay({{700, "Kanal 1-4"}, {702, "Kanal 9-12"}});
    dialog_.Frame().RefreshTooltips(2);
    EXPECT_EQ(Button(0).toolTip(), QStringLiteral("Kanal 1-4"));
    EXPECT_TRUE(Button(2).toolTip().isEmpty());  // beyond the count asked for
    dialog_.Frame().RefreshTooltips(3);
    EXPECT_EQ(Button(2).toolTip(), QStringLiteral("Kanal 9-12"));
}

TEST_F(SkinFrameTest, ButtonsTakeTabFocusAndActivateFromTheKeyboard) {
    std::vector<int> commands;
    QObject::connect(&dialog_.Frame(), &SkinFrame::commandTriggered,
                     [&commands](int command) { commands.push_back(command); });
    EXPECT_EQ(Button(0).focusPolicy(), Qt::TabFocus);
    QTest::keyClick(&Button(0), Qt::Key_Return);
    QTest::keyClick(&Button(1), Qt::Key_Enter);
    QTest::keyClick(&Button(2), Qt::Key_Space);
    QTest::keyClick(&Button(2), Qt::Key_A);  // not an activation key
    EXPECT_EQ(commands, (std::vector<int>{700, 701, 702}));
}

TEST_F(SkinFrameTest, DraggingTheBackgroundMovesTheWindow) {
    dialog_.move(100, 100);
    const QPoint start = dialog_.pos();
    QTest::mousePress(&dialog_, Qt::LeftButton, {}, QPoint(300, 20));
    QMouseEvent move(QEvent::MouseMove, QPointF(340, 50), dialog_.mapToGlobal(QPointF(340, 50)),
                     Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(&dialog_, &move);
    QTest::mouseRelease(&dialog_, Qt::LeftButton, {}, QPoint(340, 50));
    EXPECT_EQ(dialog_.pos(), start + QPoint(40, 30));
}

TEST(InfoTip, FitsItsTextAndShowsBesideThePoint) {
    QWidget owner;
    owner.setGeometry(50, 60, 200, 100);
    InfoTip tip(&owner);
    tip.SetText(QStringLiteral("09:45"));
    tip.Show(QPoint(10, 20));
    const QFontMetrics metrics(tip.font());
    EXPECT_EQ(tip.size(),
              QSize(metrics.horizontalAdvance(QStringLiteral("09:45")) + 7, metrics.height() + 2));
    EXPECT_GT(tip.pos().x(), owner.mapToGlobal(QPoint(10, 20)).x());
    EXPECT_GT(tip.pos().y(), owner.mapToGlobal(QPoint(10, 20)).y());
    const QImage picture = test::Picture(tip);
    EXPECT_EQ(picture.pixel(0, 0), qRgb(0, 0, 0));  // the black outline
    EXPECT_EQ(picture.pixel(1, picture.height() / 2),
              tip.palette().color(QPalette::ToolTipBase).rgb());
}

class DrawBitmapTest : public SkinFrameTest {
  protected:
    // Draws with the frame onto a blue canvas of 40 x 30.
    QImage Draw(int id, bool transparent, const QString& file, const QWidget* target = nullptr) {
        QImage canvas(40, 30, QImage::Format_RGB32);
        canvas.fill(Qt::blue);
        QPainter painter(&canvas);
        dialog_.Frame().DrawBitmap(painter, id, QPoint(4, 3), transparent, file, target);
        painter.end();
        return canvas;
    }
    QTemporaryDir dir_;
};

TEST_F(DrawBitmapTest, FileReplacesTheBuiltInBitmapWithWhiteLeftOut) {
    // A customisation picture: white with a red square.
    QImage logo(10, 8, QImage::Format_RGB32);
    logo.fill(Qt::white);
    for (int y = 2; y < 6; ++y) {
        for (int x = 3; x < 7; ++x)
            logo.setPixel(x, y, qRgb(255, 0, 0));
    }
    const QString path = dir_.filePath(QStringLiteral("LogoFile.bmp"));
    ASSERT_TRUE(logo.save(path, "BMP"));

    const QImage drawn = Draw(300, true, path);
    EXPECT_EQ(drawn.pixel(4 + 4, 3 + 3), qRgb(255, 0, 0));
    EXPECT_EQ(drawn.pixel(4 + 0, 3 + 0), qRgb(0, 0, 255));  // white left out
    EXPECT_EQ(drawn.pixel(4 + 9, 3 + 7), qRgb(0, 0, 255));

    const QImage opaque = Draw(300, false, path);
    EXPECT_EQ(opaque.pixel(4, 3), qRgb(255, 255, 255));
}

TEST_F(DrawBitmapTest, MissingFileFallsBackToTheBuiltInBitmap) {
    const QImage fromResource = Draw(300, true, QString());
    const QImage fromMissing = Draw(300, true, dir_.filePath(QStringLiteral("Logo.bmp")));
    EXPECT_EQ(fromResource, fromMissing);
    // The motion mark is drawn on white, which stays out: its corner pixel is not blue, the canvas
    // beside it is.
    const QImage mark = Artwork(300);
    EXPECT_NE(fromResource.pixel(4 + 1, 3 + 1), qRgb(0, 0, 255));
    EXPECT_EQ(fromResource.pixel(4 + mark.width() + 1, 3), qRgb(0, 0, 255));
}

TEST_F(DrawBitmapTest, StretchesOverAVisibleTargetOnly) {
    QWidget target;
    target.resize(40, 30);
    const QImage hidden = Draw(302, false, QString(), &target);
    EXPECT_EQ(hidden.pixel(20, 15), qRgb(0, 0, 255));
    target.show();
    const QImage shown = Draw(302, false, QString(), &target);
    EXPECT_NE(shown.pixel(0, 0), qRgb(0, 0, 255));  // covers the whole target, not from (4, 3)
    EXPECT_NE(shown.pixel(39, 29), qRgb(0, 0, 255));
}

// Every bitmap the client's main window names, in its table and in its button states, is drawn at
// both scales.
TEST(ClientArtwork, CoversTheMainWindow) {
    std::vector<int> ids = {
        art::kTelvaMainBackground, 351, 383, 396, 394, 380, 379, 300, 301, 302, 303, 304};
    for (const SkinButtonSpec& b : art::kTelvaMainButtons) {
        ids.insert(ids.end(), {b.normal, b.pressed, b.hover});
    }
    ids.insert(ids.end(), std::begin(art::kTelvaVolumeBitmaps), std::end(art::kTelvaVolumeBitmaps));
    for (int id : ids) {
        const QPixmap normal = SkinBitmap(id, 1.0);
        const QPixmap sharp = SkinBitmap(id, 2.0);
        ASSERT_FALSE(normal.isNull()) << id;
        EXPECT_EQ(sharp.size(), normal.size() * 2) << id;
    }
    // Buttons are drawn at the size of their rectangles.
    for (const SkinButtonSpec& b : art::kTelvaMainButtons) {
        EXPECT_EQ(SkinBitmap(b.normal, 1.0).size(), QSize(b.right - b.left, b.bottom - b.top))
            << b.command;
    }
}

}  // namespace
}  // namespace ui
