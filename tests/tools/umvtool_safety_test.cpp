// umvtool against hostile input, run as a user runs it: FIFOs where files belong, control
// characters in what it prints, recorder names that try to leave the recording root, damaged
// calendars and indexes.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>

#include "media/calendar_file.h"
#include "media/frame_header.h"
#include "tests/support/fifo.h"
#include "tests/support/process.h"
#include "tests/support/records.h"
#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"

namespace {

using testsupport::kSamples;
using testsupport::kUmvtool;
using testsupport::Lines;
using testsupport::Quote;
using testsupport::RunCommand;
namespace fs = std::filesystem;

const std::string kLobby = kSamples + "d1_4ch/Lobby_20260314_095952/";

// Runs umvtool under a time limit with its stderr after its stdout; status 124 means it hung.
testsupport::CommandResult Umvtool(const std::string& args, const std::string& stderrFile = "") {
    return RunCommand("timeout 20 " + kUmvtool + " " + args + " 2>" +
                      (stderrFile.empty() ? std::string("&1") : Quote(stderrFile)));
}

// A copy of the sample folder to damage.
std::string CopyLobby(const testsupport::TempDir& dir) {
    const std::string folder = dir / "Lobby_20260314_095952/";
    fs::copy(kLobby, folder);
    return folder;
}

TEST(UmvtoolFifo, EveryReadingCommandRefusesAFifoInsteadOfWaiting) {
    testsupport::TempDir dir;
    for (const char* name : {"f.idx", "f.umv", "f.jpg", "f.ums", "f.m4v", "f.raw", "f.alaw"})
        ASSERT_TRUE(testsupport::MakeFifo(dir / name));
    // A real index whose data file is a FIFO, and a folder whose calendar is one.
    fs::copy_file(kLobby + "20260314_095952.idx", dir / "pair.idx");
    ASSERT_TRUE(testsupport::MakeFifo(dir / "pair.umv"));
    fs::create_directory(dir / "folder");
    ASSERT_TRUE(testsupport::MakeFifo(dir / "folder/x.cdb"));
    ASSERT_TRUE(testsupport::MakeFifo(dir / "folder/x.umv"));
    const std::string still = Quote(kSamples + "stills/Lobby,260314_095955,1,.jpg");
    const std::string d = dir.path();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"info " + d + "f.idx", d + "f.idx"},
        {"info " + d + "f.umv", d + "f.umv"},
        {"info " + d + "pair.idx", d + "pair.idx"},
        {"frames " + d + "f.idx", d + "f.idx"},
        {"reindex --force " + d + "f.umv", d + "f.umv"},
        {"calendar " + d + "folder", d + "folder"},
        {"calendar --rebuild " + d + "folder", d + "folder"},
        {"still " + d + "f.jpg", d + "f.jpg"},
        {"still " + d + "f.ums", d + "f.ums"},
        {"watermark embed " + d + "f.jpg " + d + "out.jpg", d + "f.jpg"},
        {"watermark embed " + still + " " + d + "out.jpg --mark " + d + "f.raw", d + "f.raw"},
        {"watermark check " + d + "f.jpg " + d + "out.png", d + "f.jpg"},
        {"decode --md5 " + d + "f.m4v", d + "f.m4v"},
        {"decode --md5 " + d + "f.ums", d + "f.ums"},
        {"decode --md5 " + d + "f.idx", d + "f.idx"},
        {"mkrec --out " + d + "rec --start '2026-03-14 10:00:00' " + d + "f.m4v", d + "f.m4v"},
        {"mkrec --out " + d + "rec --start '2026-03-14 10:00:00' --audio 1:" + d + "f.alaw " + d +
             "f.m4v",
         d + "f.alaw"},
    };
    for (const auto& [args, named] : cases) {
        const auto r = Umvtool(args);
        EXPECT_EQ(r.status, 1) << args << "\n" << r.out;
        EXPECT_EQ(r.out.rfind(named + ": ", 0), 0u) << args << "\n" << r.out;
    }
}

TEST(UmvtoolMessages, NameTheirFileOnStandardError) {
    testsupport::TempDir dir;
    const auto r = Umvtool("info " + Quote(dir / "missing.idx"), dir / "err.txt");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    const auto err = testsupport::ReadFile(dir / "err.txt");
    EXPECT_EQ(std::string(err.begin(), err.end()), dir / "missing.idx" + ": File can't opened!\n");
}

TEST(UmvtoolOutput, ControlCharactersFromFilesAreEscaped) {
    testsupport::TempDir dir;
    const std::string folder = CopyLobby(dir);
    auto cdb = testsupport::ReadFile(folder + "20260314_095952.cdb");
    const std::string name = "\x1b]0;pwned\x07";  // would retitle the terminal
    std::fill(cdb.begin() + 6, cdb.begin() + 19, 0);
    std::copy(name.begin(), name.end(), cdb.begin() + 6);
    const std::string title = "\x1b[2J\xc2\x9b";  // clear screen, and a C1 CSI in UTF-8
    std::fill(cdb.begin() + 19, cdb.begin() + 32, 0);
    std::copy(title.begin(), title.end(), cdb.begin() + 19);
    testsupport::WriteFile(folder + "20260314_095952.cdb", cdb);
    const auto r = Umvtool("calendar " + Quote(folder));
    ASSERT_EQ(r.status, 0) << r.out;
    const auto lines = Lines(r.out);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "recorder: \\x1B]0;pwned\\x07");
    EXPECT_EQ(lines[2], "title 1: \\x1B[2J\\u009B");
    for (char c : r.out)
        EXPECT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 0x20) << int(c);
    // Words from the command line are printed the same way in usage errors.
    const auto usage = Umvtool("live --host h --user u --password p --channels " + Quote(name));
    EXPECT_EQ(usage.status, 2);
    EXPECT_NE(usage.out.find("bad --channels \\x1B]0;pwned\\x07"), std::string::npos) << usage.out;
}

TEST(UmvtoolCalendar, RebuildRestoresTheMinutesOfAHeaderOnlyCalendar) {
    testsupport::TempDir dir;
    const std::string folder = CopyLobby(dir);
    const auto before = Umvtool("calendar " + Quote(folder));
    ASSERT_EQ(before.status, 0);
    ASSERT_GT(Lines(before.out).size(), 6u);
    const std::string cdb = folder + "20260314_095952.cdb";
    auto bytes = testsupport::ReadFile(cdb);
    bytes.resize(media::kCalendarHeaderSize);
    testsupport::WriteFile(cdb, bytes);
    EXPECT_LT(Lines(Umvtool("calendar " + Quote(folder)).out).size(), 7u);

    const auto rebuilt = Umvtool("calendar --rebuild " + Quote(folder));
    ASSERT_EQ(rebuilt.status, 0) << rebuilt.out;
    EXPECT_EQ(Lines(rebuilt.out)[0], "calendar: " + cdb);
    EXPECT_EQ(Umvtool("calendar " + Quote(folder)).out, before.out);
    EXPECT_EQ(Umvtool("calendar --rebuild " + Quote(dir / "nothing")).status, 1);
}

TEST(UmvtoolDecode, WarnsWhenTheIndexPointsPastTheData) {
    testsupport::TempDir dir;
    const std::string folder = CopyLobby(dir);
    const std::string umv = folder + "20260314_095952.umv";
    fs::resize_file(umv, fs::file_size(umv) - 5000);
    const auto r = Umvtool("decode --null --channel 1 " + Quote(folder + "20260314_095952.idx"),
                           dir / "err.txt");
    EXPECT_EQ(r.status, 0);
    const auto err = testsupport::ReadFile(dir / "err.txt");
    const std::string text(err.begin(), err.end());
    EXPECT_NE(text.find("warning: the recording ends inside a record;"), std::string::npos) << text;
    // The same words as info.
    const auto info = Umvtool("info " + Quote(folder + "20260314_095952.idx"));
    EXPECT_NE(info.out.find(Lines(text).at(0)), std::string::npos) << info.out;
}

TEST(UmvtoolReindex, SaysWhatTheIndexCannotAddressPast4GiB) {
    testsupport::TempDir dir;
    const std::string umv = dir / "big.umv";
    // Records of the largest payload (2 MiB) up to past 4 GiB, written sparse: only the headers
    // take room on the disk.
    const int fd = ::open(umv.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    const uint64_t extent = 24 + 65535ull * 32;
    const int records = static_cast<int>((uint64_t{1} << 32) / extent) + 3;
    uint32_t stamp = 0;
    for (int i = 0; i < records; ++i) {
        media::FrameHeader h = testsupport::HeaderOf({.kind = i % 10 ? 1 : 0, .stamp = ++stamp});
        h.length = 65535;
        uint8_t bytes[24];
        h.Encode(bytes);
        ASSERT_EQ(::pwrite(fd, bytes, 24, static_cast<off_t>(i * extent)), 24);
    }
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(records * extent)), 0);
    ::close(fd);
    const auto r = Umvtool("reindex " + Quote(umv), dir / "err.txt");
    ASSERT_EQ(r.status, 0) << r.out;
    const auto addressable = static_cast<int>(0xFFFFFFFFull / extent) + 1;
    EXPECT_EQ(r.out, "records: " + std::to_string(addressable) + "\n");
    const auto err = testsupport::ReadFile(dir / "err.txt");
    EXPECT_EQ(std::string(err.begin(), err.end()),
              "warning: the index format cannot address records past 4 GiB; " +
                  std::to_string(records - addressable) + " record(s) after it left out\n");
    EXPECT_EQ(fs::file_size(dir / "big.idx"), static_cast<uintmax_t>(addressable) * 20);
}

// mkrec from a short stream made by ffmpeg, under names that try to leave the root.
TEST(UmvtoolNames, EveryFileLandsInsideTheRoot) {
    testsupport::TempDir dir;
    const std::string stream = dir / "cam.m4v";
    ASSERT_EQ(RunCommand("ffmpeg -v error -y -f lavfi -i testsrc=s=352x240:r=5:d=1 -c:v mpeg4 "
                         "-f m4v " +
                         Quote(stream))
                  .status,
              0)
        << "ffmpeg is needed (scripts/setup)";
    const std::string root = dir / "deep/er/root";
    const std::vector<std::string> names = {"../../x", "a/b",        "..",
                                            "",        "two\nlines", "로비 카메라"};
    for (const std::string& name : names) {
        const auto r = Umvtool("mkrec --out " + Quote(root) + " --start '2026-03-14 10:00:00'" +
                               " --dvr-name " + Quote(name) + " " + Quote(stream));
        EXPECT_EQ(r.status, 0) << name << "\n" << r.out;
        EXPECT_EQ(r.out.find('\n'), r.out.find("\npairs:")) << r.out;  // one line per field
    }
    std::vector<std::string> folders;
    for (const auto& e : fs::recursive_directory_iterator(dir.path())) {
        const std::string p = e.path().string();
        if (p == stream) continue;
        EXPECT_TRUE(p.rfind(root + "/", 0) == 0 || (root + "/").rfind(p + "/", 0) == 0) << p;
        if (e.path().parent_path().string() == root) folders.push_back(e.path().filename());
    }
    std::sort(folders.begin(), folders.end());
    EXPECT_EQ(folders, (std::vector<std::string>{
                           ".._.._x_20260314_100000", "a_b_20260314_100000",
                           "two_lines_20260314_100000", "unnamed_20260314_100000",
                           "unnamed_20260314_100000_2", "로비 카메라_20260314_100000"}));
}

}  // namespace
