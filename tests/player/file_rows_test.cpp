// The file lists' rows: the start of a recording from its name, the fields of stills and
// single-frame files, which files a folder lists, and a walk that stops when asked.
#include "player/qt/file_rows.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace {

TEST(FileRows, RecordingStartFromTheName) {
    EXPECT_EQ(player::RecordingStartText("20260314_095952"), "26-03-14 09:59:52");
    EXPECT_EQ(player::RecordingStartText("Lobby_20260314_095952"), "26-03-14 09:59:52");
    EXPECT_EQ(player::RecordingStartText("Lobby_20260314_095952_ch1"), "26-03-14 09:59:52");
    for (const char* none : {"", "clip", "20261314_095952", "20260314_245952", "2026031_095952",
                             "20260314-095952", "20260314_0959"})
        EXPECT_EQ(player::RecordingStartText(none), "") << none;
}

TEST(FileRows, FieldsOfEachKind) {
    const std::string folder = "/rec/Lobby_20260314_095952/";
    player::FileRow row = player::MakeFileRow(folder, "20260314_100457.idx");
    EXPECT_EQ(row.recorder, "Lobby");
    EXPECT_EQ(row.time, "26-03-14 10:04:57");  // the file's own start, not the folder's
    EXPECT_EQ(row.path, folder + "20260314_100457.idx");

    row = player::MakeFileRow("/stills/", "Gate,260314_095955,12,door.jpg");
    EXPECT_EQ(row.recorder, "Gate");
    EXPECT_EQ(row.time, "26-03-14 09:59:55");
    EXPECT_EQ(row.channel, "12");
    EXPECT_EQ(row.keyword, "door");

    row = player::MakeFileRow("/stills/", "Lobby_20260314_095952_ch3.ums");
    EXPECT_EQ(row.recorder, "Lobby");
    EXPECT_EQ(row.time, "26-03-14 09:59:52");
    EXPECT_EQ(row.channel, "3");

    // A name that carries nothing leaves the columns empty.
    row = player::MakeFileRow("/any/", "clip.umv");
    EXPECT_EQ(row.recorder, "");
    EXPECT_EQ(row.time, "");
    EXPECT_EQ(row.fileName, "clip.umv");
}

TEST(FileRows, WalkListsPairsByTheirIndexAndStopsWhenAsked) {
    testsupport::TempDir dir;
    for (const char* name : {"20260314_095952.idx", "20260314_095952.umv", "20260314_100457.umv",
                             "a,260314_095955,1,.JPG", "x.ums", "notes.txt"})
        testsupport::WriteFile(dir / name, {'x'});
    EXPECT_EQ(player::ListedFiles(dir.path()),
              (std::vector<std::string>{"20260314_095952.idx", "20260314_100457.umv",
                                        "a,260314_095955,1,.JPG", "x.ums"}));
    std::atomic<bool> stop{false};
    size_t calls = 0;
    player::FolderWalkResult result = player::WalkFolder(dir.path(), stop, [&](size_t, size_t) {
        if (++calls == 2) stop = true;
    });
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(result.rows.size(), 2u);
    stop = false;
    result = player::WalkFolder(dir.path(), stop);
    EXPECT_FALSE(result.stopped);
    EXPECT_EQ(result.rows.size(), 4u);
    EXPECT_EQ(result.rows[0].path, dir / "20260314_095952.idx");
}

}  // namespace
