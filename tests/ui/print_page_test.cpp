#include "ui/print_page.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <filesystem>

#include "ui/capture_save_dialog.h"

namespace ui {
namespace {

PrintPageContent RedPicture() {
    PrintPageContent page;
    QImage picture(720, 480, QImage::Format_RGB888);
    picture.fill(Qt::red);
    page.picture = picture;
    page.timeText = QStringLiteral("2008-06-01 10:11:12");
    page.fileName = QStringLiteral("/home/user/Record/Gate_20080601_100000/20080601_100000.idx");
    return page;
}

bool Dark(QRgb c) {
    return qGray(c) < 128;
}
// Red, allowing for the colour rounding of a PDF renderer.
bool Red(QRgb c) {
    return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
}

// First row at or below `from` with a dark pixel in the page's left half, or -1.
int FirstDarkRow(const QImage& page, int from, int to) {
    for (int y = from; y < to; ++y)
        for (int x = 0; x < page.width() / 2; ++x)
            if (Dark(page.pixel(x, y)) && qRed(page.pixel(x, y)) < 128) return y;
    return -1;
}

// The 4,000 x 3,000 page: picture 3,000 x 2,250 at (10, 100), time above, name from y 2,400.
void ExpectLandscapeGeometry(const QImage& page) {
    ASSERT_EQ(page.size(), QSize(4000, 3000));
    EXPECT_TRUE(Red(page.pixel(10, 100)));
    EXPECT_TRUE(Red(page.pixel(3009, 2349)));
    EXPECT_FALSE(Red(page.pixel(3011, 1000)));
    EXPECT_FALSE(Red(page.pixel(1000, 2351)));
    EXPECT_FALSE(Red(page.pixel(9, 1000)));
    EXPECT_FALSE(Red(page.pixel(10, 99)));
    EXPECT_GE(FirstDarkRow(page, 0, 100), 10);  // the time text
    const int name = FirstDarkRow(page, 2351, 3000);
    EXPECT_GE(name, 2400);
    EXPECT_LT(name, 2500);
}

TEST(PrintPage, GeometryOfTheLayout) {
    PrintPageGeometry g = PrintPageLayout(4000, 3000);
    EXPECT_EQ(g.picture, QRect(10, 100, 3000, 2250));
    EXPECT_EQ(g.fileName.top(), 2400);
    EXPECT_EQ(g.recorderAddress, QPoint(10, 2500));
    // Portrait: the smaller side is the width; 4 x (s / 4) with integer division.
    EXPECT_EQ(PrintPageLayout(2481, 3508).picture, QRect(10, 100, 2480, 1860));
}

TEST(PrintPage, PaintedIntoAnImage) {
    QImage page(4000, 3000, QImage::Format_RGB32);
    page.fill(Qt::white);
    PaintPrintPage(&page, RedPicture());
    ExpectLandscapeGeometry(page);
}

TEST(PrintPage, ClientPageNamesTheRecorder) {
    PrintPageContent content = RedPicture();
    content.recorderPage = true;
    content.recorderName = QStringLiteral("Gate");
    content.recorderAddress = QStringLiteral("192.168.0.10");
    QImage page(4000, 3000, QImage::Format_RGB32);
    page.fill(Qt::white);
    PaintPrintPage(&page, content);
    const int name = FirstDarkRow(page, 2351, 3000);
    EXPECT_GE(name, 2400);
    EXPECT_LT(name, 2500);
    EXPECT_GE(FirstDarkRow(page, 2500, 3000), 2500);
}

// Written as a PDF and rasterised again (at 72 dpi a point is a pixel).
TEST(PrintPage, WrittenAsPdf) {
    const QString gs = QStandardPaths::findExecutable(QStringLiteral("gs"));
    if (gs.isEmpty()) GTEST_SKIP() << "ghostscript is not installed";
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
    const QString png = dir.filePath(QStringLiteral("page.png"));
    ASSERT_EQ(PrintToPdfSized(RedPicture(), pdf, QSize(4000, 3000)), PrintResult::kPrinted);
    QProcess p;
    p.start(gs, {QStringLiteral("-q"), QStringLiteral("-dBATCH"), QStringLiteral("-dNOPAUSE"),
                 QStringLiteral("-sDEVICE=png16m"), QStringLiteral("-r72"),
                 QStringLiteral("-sOutputFile=") + png, pdf});
    ASSERT_TRUE(p.waitForFinished(60000));
    ExpectLandscapeGeometry(QImage(png).convertToFormat(QImage::Format_RGB32));
}

TEST(CaptureSaveDialog, SavesWithKeywordAndTellsTheUser) {
    QTemporaryDir dir;
    CaptureSaveSetup setup;
    setup.picture.width = 352;
    setup.picture.height = 240;
    setup.picture.rgb.assign(352 * 240 * 3, 90);
    setup.defaultPath = dir.filePath(QStringLiteral("Frame/Gate,080601_101112,5,.jpg"));
    setup.timeText = QStringLiteral("2008-06-01 10:11:12");
    setup.markPath = QStringLiteral(DVR_SOURCE_DIR "/samples/Mark4015.raw");
    CaptureSaveDialog dialog(setup, CaptureSaveTexts{});
    QStringList told;
    dialog.SetMessageSink([&](const QString& text) { told << text; });
    uint64_t freeMiB = 50;
    dialog.SetFreeSpaceProbe([&](const std::string&) { return std::optional(freeMiB << 20); });

    dialog.keywordEdit()->setText(QStringLiteral("do,or"));
    dialog.watermarkBox()->setChecked(true);
    dialog.Save();
    EXPECT_EQ(told, QStringList{QStringLiteral("Capture Failed!! HDD Full!!")});
    EXPECT_TRUE(dialog.savedPath().isEmpty());

    freeMiB = 51;
    dialog.Save();
    EXPECT_EQ(told.last(), QStringLiteral("The image has been saved."));
    EXPECT_EQ(dialog.savedPath(),
              dir.filePath(QStringLiteral("Frame/Gate,080601_101112,5,door.jpg")));
    EXPECT_TRUE(QFile::exists(dialog.savedPath()));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(CaptureSaveDialog, WatermarkFileMessages) {
    QTemporaryDir dir;
    CaptureSaveSetup setup;
    setup.picture.width = 64;
    setup.picture.height = 32;
    setup.picture.rgb.assign(64 * 32 * 3, 90);
    setup.defaultPath = dir.filePath(QStringLiteral("Gate,080601_101112,M,.jpg"));
    setup.markPath = dir.filePath(QStringLiteral("none.raw"));
    CaptureSaveDialog dialog(setup, CaptureSaveTexts{});
    QStringList told;
    dialog.SetMessageSink([&](const QString& text) { told << text; });
    dialog.SetFreeSpaceProbe(
        [](const std::string&) { return std::optional<uint64_t>(1ull << 40); });
    dialog.watermarkBox()->setChecked(true);
    dialog.Save();
    QFile bad(dir.filePath(QStringLiteral("bad.raw")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray(601, '\xff'));
    bad.close();
    CaptureSaveSetup badSetup = setup;
    badSetup.markPath = bad.fileName();
    CaptureSaveDialog second(badSetup, CaptureSaveTexts{});
    second.SetMessageSink([&](const QString& text) { told << text; });
    second.SetFreeSpaceProbe(
        [](const std::string&) { return std::optional<uint64_t>(1ull << 40); });
    second.watermarkBox()->setChecked(true);
    second.Save();
    EXPECT_EQ(told, (QStringList{
                        QStringLiteral("The Watermark file name or path is not valid."),
                        QStringLiteral("The Watermark file you have selected is incompatible.")}));
    EXPECT_FALSE(std::filesystem::exists(setup.defaultPath.toStdString()));
}

}  // namespace
}  // namespace ui
