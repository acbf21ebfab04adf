// The simple player: the recordings it offers, and the real executable copied into a folder
// with a recording beside it, as the client copies it next to a backup.
#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <filesystem>

#include "player/quenby/quenby_folder.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const std::string kSampleFolder = DVR_SOURCE_DIR "/samples/cif_16ch/Depot_20260314_095952/";

TEST(QuenbyFolder, OffersPairsByTheirIndexAndDataFilesAlone) {
    testsupport::TempDir dir;
    for (const char* name :
         {"20260314_100000.umv", "20260314_100000.idx", "20260314_090000.umv",
          "20260314_110000.UMV", "20260314_110000.IDX", "notes.txt", "Lobby,260314_095955,1,.jpg"})
        testsupport::WriteFile(dir / name, {1});
    fs::create_directory(dir / "sub.idx");
    EXPECT_EQ(quenby::RecordingsOf(dir.path()),
              (std::vector<std::string>{"20260314_090000.umv", "20260314_100000.idx",
                                        "20260314_110000.IDX"}));
    EXPECT_TRUE(quenby::RecordingsOf(dir / "missing").empty());
}

// Runs the copied executable offscreen; returns its exit code.
int RunCopy(const std::string& folder, const QString& screenshot) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(QString::fromStdString(folder + "Quenby_M4"),
                  {QStringLiteral("--screenshot"), screenshot});
    process.waitForFinished(-1);
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

TEST(QuenbyCopy, PlaysTheRecordingOfItsOwnFolder) {
    testsupport::TempDir dir;
    fs::copy_file(QUENBY_EXE, dir / "Quenby_M4");
    const QString shot = QString::fromStdString(dir / "shot.png");
    EXPECT_EQ(RunCopy(dir.path(), shot), 1) << "no recording beside it";

    for (const char* name : {"20260314_095952.idx", "20260314_095952.umv"})
        fs::copy_file(kSampleFolder + name, dir / name);
    ASSERT_EQ(RunCopy(dir.path(), shot), 0);
    const QImage image(shot);
    ASSERT_FALSE(image.isNull());
    // The sixteen cells show their pictures: each cell's middle is far from the black of an
    // empty cell, and the cells differ from one another (each camera has its own colours).
    QRgb previous = 0;
    for (int cell = 0; cell < 16; ++cell) {
        const QRgb pixel = image.pixel(24 + 161 * (cell % 4) + 20, 41 + 121 * (cell / 4) + 20);
        EXPECT_GT(qRed(pixel) + qGreen(pixel) + qBlue(pixel), 120) << "cell " << cell;
        EXPECT_NE(pixel, previous) << "cell " << cell;
        previous = pixel;
    }
}

}  // namespace
