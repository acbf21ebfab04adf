// umvtool live --record, backup, search and play against dvrsim, run as processes; what a
// killed recorder or a full disk leaves behind.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>

#include "media/calendar_file.h"
#include "media/recording_file.h"
#include "tests/support/process.h"
#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"

namespace {

using testsupport::Dvrsim;
using testsupport::kSamples;
using testsupport::kUmvtool;
using testsupport::Lines;
using testsupport::Process;
using testsupport::Quote;
using testsupport::RunCommand;
namespace fs = std::filesystem;

std::string Connect(int port) {
    return " --host 127.0.0.1 --port " + std::to_string(port) + " --user admin --password admin";
}

std::vector<std::string> Files(const std::string& root, const std::string& ext) {
    std::vector<std::string> out;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        if (it->is_regular_file() && it->path().extension() == ext)
            out.push_back(it->path().string());
    std::sort(out.begin(), out.end());
    return out;
}

uint64_t Bytes(const std::string& root) {
    uint64_t n = 0;
    for (const std::string& f : Files(root, ".umv"))
        n += fs::file_size(f);
    return n;
}

// Every pair under `root` opens, and every picture it indexes can be read; the count of pictures.
size_t ExpectPlayablePairs(const std::string& root) {
    size_t pictures = 0;
    std::vector<uint8_t> buffer(media::kMaxPayloadSize);
    for (const std::string& idx : Files(root, ".idx")) {
        media::RecordingFile file;
        EXPECT_EQ(file.Open(idx), media::OpenError::kNone) << idx;
        for (size_t i = 0; i < file.index().frameCount(); ++i) {
            media::FrameHeader h;
            size_t size = 0;
            EXPECT_TRUE(file.ReadVideo(i, &h, buffer.data(), &size)) << idx << " picture " << i;
        }
        pictures += file.index().frameCount();
        EXPECT_EQ(RunCommand(kUmvtool + " info " + Quote(idx) + " >/dev/null").status, 0) << idx;
    }
    return pictures;
}

// Waits, woken by inotify on every change under `root` (subfolders are watched as they appear),
// until `done()` holds; returns false if the child whose standard output is `childOut` ends first
// (its output closes). The child's output is read and dropped meanwhile, so it never blocks on it.
bool WaitForChanges(const fs::path& root, int childOut, const std::function<bool()>& done) {
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch < 0) return false;
    constexpr uint32_t kMask = IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO;
    std::map<int, fs::path> folders;
    const auto addTree = [&](const fs::path& top) {
        folders[inotify_add_watch(watch, top.c_str(), kMask)] = top;
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(top, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
            if (it->is_directory())
                folders[inotify_add_watch(watch, it->path().c_str(), kMask)] = it->path();
    };
    addTree(root);
    bool childEnded = false;
    alignas(inotify_event) char events[16384];
    // Checked after the watches are in place and after every wake-up, so no change is missed.
    while (!done()) {
        if (childEnded) break;
        pollfd fds[2] = {{watch, POLLIN, 0}, {childOut, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 && errno != EINTR) break;
        if (fds[1].revents & (POLLIN | POLLHUP)) {
            char drop[4096];
            childEnded = read(childOut, drop, sizeof drop) <= 0;
        }
        for (ssize_t n; (n = read(watch, events, sizeof events)) > 0;) {
            for (char* p = events; p < events + n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(p);
                if ((event->mask & IN_CREATE) && (event->mask & IN_ISDIR) && event->len > 0)
                    addTree(folders[event->wd] / event->name);
                p += sizeof(inotify_event) + event->len;
            }
        }
    }
    close(watch);
    return done();
}

size_t Count(const std::vector<std::string>& lines, const std::string& line) {
    return static_cast<size_t>(std::count(lines.begin(), lines.end(), line));
}

TEST(UmvtoolRecord, LiveRecordsWhatItReceives) {
    testsupport::TempDir dir;
    Dvrsim sim({"--source", kSamples + "d1_4ch", "--speed", "20"});
    ASSERT_GT(sim.port(), 0);
    const auto r =
        RunCommand(kUmvtool + " live" + Connect(sim.port()) + " --seconds 1.5 --record " +
                   Quote(dir / "rec") + " --dvr-name Lobby --channels 1,3 2>&1");
    EXPECT_EQ(r.status, 0) << r.out;
    const auto lines = Lines(r.out);
    ASSERT_FALSE(lines.empty());
    std::smatch m;
    ASSERT_TRUE(std::regex_match(lines.back(), m,
                                 std::regex(R"(recorded (\d+) pictures, (\d+) audio blocks)")))
        << lines.back();
    const size_t pictures = ExpectPlayablePairs(dir / "rec");
    EXPECT_EQ(std::to_string(pictures), m[1].str());
    EXPECT_GT(pictures, 50u);
    const auto folders = Files(dir / "rec", ".cdb");
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_NE(folders[0].find("/rec/Lobby_"), std::string::npos);
    media::Calendar calendar;
    ASSERT_TRUE(calendar.LoadFile(folders[0]));
    for (const auto& minute : calendar.minutes())
        EXPECT_EQ(minute.codes[1] + minute.codes[3], 0);  // channels 2 and 4 are not recorded
}

TEST(UmvtoolRecord, AKilledRecorderLeavesPlayablePairs) {
    testsupport::TempDir dir;
    Dvrsim sim({"--source", kSamples + "d1_4ch", "--speed", "30", "--pad-to", "8192"});
    ASSERT_GT(sim.port(), 0);
    Process live({kUmvtool, "live", "--host", "127.0.0.1", "--port", std::to_string(sim.port()),
                  "--user", "admin", "--password", "admin", "--record", dir / "rec"});
    ASSERT_TRUE(live.started());
    ASSERT_NE(live.out(), nullptr);
    EXPECT_TRUE(WaitForChanges(dir.path(), fileno(live.out()), [&] {
        return Bytes(dir / "rec") >= 4u << 20;
    })) << "the recorder ended before it had written 4 MiB";
    live.Kill(SIGKILL);
    EXPECT_EQ(live.Wait(), -1);
    ASSERT_GE(Bytes(dir / "rec"), 4u << 20);
    // Up to its last complete record, everything written plays.
    EXPECT_GT(ExpectPlayablePairs(dir / "rec"), 200u);
    media::Calendar calendar;
    EXPECT_TRUE(calendar.LoadFolder(fs::path(Files(dir / "rec", ".cdb").at(0)).parent_path()));
}

TEST(UmvtoolRecord, AFileThatCannotBeWrittenStopsTheRecording) {
    testsupport::TempDir dir;
    Dvrsim sim({"--source", kSamples + "d1_4ch", "--speed", "20"});
    ASSERT_GT(sim.port(), 0);
    // Files of the recorder may not grow beyond 1 MB: its writes fail as on a broken disk.
    const auto r =
        RunCommand("trap '' XFSZ; ulimit -f 2000; exec " + kUmvtool + " live" +
                   Connect(sim.port()) + " --seconds 1.5 --record " + Quote(dir / "rec") + " 2>&1");
    EXPECT_EQ(r.status, 1) << r.out;
    const auto lines = Lines(r.out);
    EXPECT_EQ(Count(lines, "message: Record Failed!! The recording file cannot be written."), 1u)
        << r.out;
    EXPECT_EQ(Count(lines, "recording stopped"), 1u);
    EXPECT_GT(ExpectPlayablePairs(dir / "rec"), 20u);
}

TEST(UmvtoolRecord, AFullDiskStopsTheRecordingWithNothingLost) {
    testsupport::TempDir dir;
    Dvrsim sim({"--source", kSamples + "d1_4ch", "--speed", "20", "--pad-to", "16384"});
    ASSERT_GT(sim.port(), 0);
    // A small disk of its own (56 MiB) for the recording, in a mount namespace of the command.
    fs::create_directories(dir / "disk");
    const std::string script = "mount -t tmpfs -o size=56m tmpfs " + Quote(dir / "disk") +
                               " || exit 99; " + kUmvtool + " live" + Connect(sim.port()) +
                               " --seconds 1.5 --record " + Quote(dir / "disk/rec") +
                               "; status=$?; cp -a " + Quote(dir / "disk/rec") + " " +
                               Quote(dir / "copy") + "; exit $status";
    const auto r = RunCommand("unshare -m sh -c " + Quote(script) + " 2>&1");
    if (r.status == 99 || r.status == 127 || r.out.find("unshare") != std::string::npos)
        GTEST_SKIP() << "no small disk can be mounted here: " << r.out;
    EXPECT_EQ(r.status, 1) << r.out;
    const auto lines = Lines(r.out);
    EXPECT_EQ(Count(lines, "message: Record Failed!! HDD Full!!"), 1u) << r.out;
    EXPECT_EQ(Count(lines, "recording stopped"), 1u);
    // Recording stopped while more than 50 MiB were still free: what it wrote is all there.
    EXPECT_GT(Bytes(dir / "copy"), 3u << 20);
    EXPECT_LT(Bytes(dir / "copy"), 6u << 20);
    EXPECT_GT(ExpectPlayablePairs(dir / "copy"), 100u);
}

TEST(UmvtoolBackup, PrintsProgressAndCompletes) {
    testsupport::TempDir dir;
    Dvrsim sim(
        {"--source", kSamples + "d1_4ch", "--speed", "20", "--control-log", dir / "controls.log"});
    ASSERT_GT(sim.port(), 0);
    const std::string backup = kUmvtool + " backup" + Connect(sim.port()) +
                               " --from 20260314095953 --to 20260314100001 --channels 1,3 --out ";
    const auto r = RunCommand(backup + Quote(dir / "bk") + " --dvr-name Lobby --fast 2>&1");
    EXPECT_EQ(r.status, 0) << r.out;
    const auto lines = Lines(r.out);
    ASSERT_GE(lines.size(), 4u) << r.out;
    EXPECT_EQ(lines.front(), "progress 0%");
    EXPECT_EQ(lines[lines.size() - 2], "progress 100%");
    EXPECT_EQ(lines.back(), "Backup completed.");
    int last = -1;
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        int p = -1;
        ASSERT_EQ(std::sscanf(lines[i].c_str(), "progress %d%%", &p), 1) << lines[i];
        EXPECT_GT(p, last);
        last = p;
    }
    EXPECT_GT(ExpectPlayablePairs(dir / "bk"), 100u);
    EXPECT_EQ(Files(dir / "bk", ".cdb").size(), 1u);
    // The fast mode asked the recorder once for double speed.
    std::ifstream log(dir / "controls.log");
    int fast = 0;
    for (std::string line; std::getline(log, line);)
        fast += line.find("OP=8&LEN=1&REQ=3") != std::string::npos;
    EXPECT_EQ(fast, 1);

    // A range without recordings.
    const auto empty = RunCommand(kUmvtool + " backup" + Connect(sim.port()) +
                                  " --from 20260315095953 --to 20260315100001 --channels 1 --out " +
                                  Quote(dir / "none") + " 2>&1");
    EXPECT_EQ(empty.status, 1);
    EXPECT_NE(empty.out.find("No Video Data Error!!"), std::string::npos) << empty.out;
    EXPECT_TRUE(Files(dir / "none", ".umv").empty());
    // A range the recordings end in: the backup ends with the recorder's last picture.
    const auto tail = RunCommand(kUmvtool + " backup" + Connect(sim.port()) +
                                 " --from 20260314100000 --to 20260314100100 --channels 1 --out " +
                                 Quote(dir / "tail") + " 2>&1");
    EXPECT_EQ(tail.status, 0) << tail.out;
    EXPECT_EQ(Lines(tail.out).back(), "Backup completed.");
    EXPECT_EQ(RunCommand(kUmvtool + " backup --host h --user u --password p --from 1 --to 2 " +
                         "--channels 1 --out x 2>/dev/null")
                  .status,
              2);
}

TEST(UmvtoolBackup, TheSameRangeTwiceKeepsBothBackupsWhole) {
    testsupport::TempDir dir;
    Dvrsim sim({"--source", kSamples + "d1_4ch", "--speed", "20"});
    ASSERT_GT(sim.port(), 0);
    // The recorder name tries to leave the root: it stays one folder inside it.
    const std::string backup = kUmvtool + " backup" + Connect(sim.port()) +
                               " --from 20260314095953 --to 20260314100001 --fast --out " +
                               Quote(dir / "bk") + " --dvr-name ../../x --channels ";
    const auto first = RunCommand(backup + "1 2>&1");
    ASSERT_EQ(first.status, 0) << first.out;
    const auto before = Files(dir / "bk", ".umv");
    ASSERT_EQ(before.size(), 1u);
    const auto firstData = testsupport::ReadFile(before[0]);
    const auto second = RunCommand(backup + "3 2>&1");
    ASSERT_EQ(second.status, 0) << second.out;

    for (const auto& e : fs::recursive_directory_iterator(dir.path()))
        EXPECT_EQ(e.path().string().rfind(dir / "bk", 0), 0u) << e.path();
    const auto calendars = Files(dir / "bk", ".cdb");
    ASSERT_EQ(calendars.size(), 2u);
    EXPECT_EQ(testsupport::ReadFile(before[0]), firstData);  // the first backup is untouched
    for (size_t i = 0; i < 2; ++i) {
        const int channel = i == 0 ? 0 : 2;
        const std::string folder = fs::path(calendars[i]).parent_path().string() + "/";
        EXPECT_GT(ExpectPlayablePairs(folder), 10u) << folder;
        for (const std::string& idx : Files(folder, ".idx")) {
            media::RecordingFile file;
            ASSERT_EQ(file.Open(idx), media::OpenError::kNone);
            EXPECT_EQ(file.index().resultChannel(), channel) << idx;
        }
        // Each calendar names its own channel, in every minute it lists.
        media::Calendar calendar;
        ASSERT_TRUE(calendar.LoadFile(calendars[i]));
        ASSERT_FALSE(calendar.minutes().empty());
        for (const auto& minute : calendar.minutes())
            for (int c = 0; c < 4; ++c)
                EXPECT_EQ(minute.codes[static_cast<size_t>(c)] != 0, c == channel)
                    << calendars[i] << " channel " << c + 1;
    }
    EXPECT_NE(calendars[1].find("/bk/.._.._x_20260314_095953_2/"), std::string::npos)
        << calendars[1];
}

TEST(UmvtoolSearch, OneLinePerRecordingFile) {
    Dvrsim sim({"--source", kSamples + "d1_4ch"});
    ASSERT_GT(sim.port(), 0);
    const std::string search =
        kUmvtool + " search" + Connect(sim.port()) + " --from 20260314000000 --to 20260314235959";
    const auto all = RunCommand(search + " 2>&1");
    EXPECT_EQ(all.status, 0) << all.out;
    const auto lines = Lines(all.out);
    ASSERT_EQ(lines.size(), 8u) << all.out;
    EXPECT_EQ(lines[0],
              "26-03-14 09:59:52 | 26-03-14 10:00:03 | 1 | Forced | "
              "/hdda/recs/20260314/ch00/260314_095952_00_F.umv");
    const auto motion = RunCommand(search + " --channel 2 --event 1 2>&1");
    EXPECT_EQ(Lines(motion.out),
              std::vector<std::string>{"26-03-14 09:59:55 | 26-03-14 09:59:59 | 2 | Motion | "
                                       "/hdda/recs/20260314/ch01/260314_095955_01_M.umv"});
    EXPECT_EQ(RunCommand(search + " --channel 17 2>/dev/null").status, 2);
}

TEST(UmvtoolPlay, PlaysAFileOrFromATimeUntilNoMoreVideo) {
    Dvrsim sim({"--source", kSamples + "d1_4ch", "--speed", "20"});
    ASSERT_GT(sim.port(), 0);
    const auto file = RunCommand(kUmvtool + " play" + Connect(sim.port()) +
                                 " --file /hdda/recs/20260314/ch02/260314_100001_02_S.umv 2>&1");
    EXPECT_EQ(file.status, 0) << file.out;
    const auto lines = Lines(file.out);
    EXPECT_EQ(Count(lines, "picture 3 0 2026-03-14 10:00:01"), 1u) << file.out;
    EXPECT_EQ(Count(lines, "sensor 3 1"), 1u);
    EXPECT_EQ(lines.back(), "message: No More Video!!");

    const auto time =
        RunCommand(kUmvtool + " play" + Connect(sim.port()) + " --time 260314100002 2>&1");
    EXPECT_EQ(time.status, 0) << time.out;
    const auto timeLines = Lines(time.out);
    EXPECT_EQ(Count(timeLines, "state +1X"), 1u) << time.out;
    EXPECT_EQ(Count(timeLines, "connected"), 1u);
    EXPECT_EQ(timeLines.back(), "message: No More Video!!");
}

}  // namespace
