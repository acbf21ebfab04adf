// The simple player's window on the offscreen platform: the list row and the path field follow
// the recording being played, whether the user picked it or the engine moved on to it.
#include "player/quenby/quenby_window.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <filesystem>

#include "platform/registry_store.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const std::string kSampleFolder = DVR_SOURCE_DIR "/samples/cif_16ch/Depot_20260314_095952/";

// The label that shows the playing recording: the only one with a tooltip.
QLabel* PathField(const QWidget& window) {
    for (QLabel* label : window.findChildren<QLabel*>())
        if (!label->toolTip().isEmpty()) return label;
    return nullptr;
}

TEST(QuenbyWindow, RowAndPathFollowThePlayingRecording) {
    testsupport::TempDir dir;
    // A folder name long enough that the field has to shorten the path.
    const fs::path folder =
        dir / "a backup folder with a long name, as people name them, 2026-03-14 morning shift";
    fs::create_directory(folder);
    for (const char* stem : {"20260314_095952", "20260314_105952"})
        for (const char* ext : {".idx", ".umv"})
            fs::copy_file(kSampleFolder + "20260314_095952" + ext,
                          folder / (std::string(stem) + ext));
    platform::RegistryStore settings(dir / "Environments.ini");
    quenby::QuenbyWindow window(settings, folder.string() + "/", 1);
    window.show();
    auto* list = window.findChild<QListWidget*>();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(window.rowCount(), 2);
    EXPECT_EQ(list->currentRow(), 0);

    // The user plays the second row: the field names it in full in its tooltip and keeps the
    // file name visible when it shortens the path.
    ASSERT_TRUE(window.PlayRow(1));
    const QString second = QString::fromStdString((folder / "20260314_105952.idx").string());
    QLabel* field = PathField(window);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->toolTip(), second);
    EXPECT_NE(field->text(), second);
    EXPECT_TRUE(field->text().endsWith(QStringLiteral("20260314_105952.idx"))) << field->text().toStdString();
    EXPECT_EQ(list->currentRow(), 1);

    // The first row played to its end: the engine moves on to the second recording by itself,
    // and the row and the field follow once its report arrives.
    ASSERT_TRUE(window.PlayRow(0));
    EXPECT_EQ(list->currentRow(), 0);
    window.engine().Seek(window.engine().frameCount() - 2);
    window.engine().SeekReleased();
    window.engine().Play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->currentRow() == 1; }, 60000));
    EXPECT_EQ(field->toolTip(), second);

    // A row that is not there plays nothing and leaves the selection alone.
    EXPECT_FALSE(window.PlayRow(5));
    EXPECT_EQ(list->currentRow(), 1);
}

}  // namespace
