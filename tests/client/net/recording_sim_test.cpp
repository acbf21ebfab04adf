// Local recording, backup download, search and remote playback against a simulated recorder.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "client/net/client_strings.h"
#include "client/net/event_search.h"
#include "media/calendar_file.h"
#include "media/recording_file.h"
#include "media/wall_time.h"
#include "tests/client/net/sim_fixture.h"

namespace {

using namespace client;
using namespace std::chrono_literals;
using nettest::RecordingSinks;
using nettest::Sha256;
using nettest::SimTest;
namespace fs = std::filesystem;

struct Stored {
    std::string hash;
    media::FrameHeader header;
};

// The records of a ".umv" file in file order.
std::vector<Stored> ReadData(const std::string& path) {
    const std::vector<uint8_t> bytes = testsupport::ReadFile(path);
    std::vector<Stored> out;
    for (size_t at = 0; at + media::kFrameHeaderSize <= bytes.size();) {
        const size_t n = media::RecordExtent(bytes.data() + at);
        if (at + n > bytes.size()) break;
        out.push_back({Sha256({bytes.begin() + static_cast<ptrdiff_t>(at),
                               bytes.begin() + static_cast<ptrdiff_t>(at + n)}),
                       media::FrameHeader::Decode(bytes.data() + at)});
        at += n;
    }
    return out;
}

std::vector<std::string> Sorted(const std::string& folder, const std::string& ext) {
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec))
        if (e.path().extension() == ext) out.push_back(e.path().string());
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::string> Folders(const std::string& root) {
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(root, ec))
        if (e.is_directory()) out.push_back(e.path().string() + "/");
    return out;
}

bool IsIntra(const media::FrameHeader& h) {
    return h.kind == 0;
}

class Progress : public ProgressView {
  public:
    void SetProgressText(std::string_view text) override {
        std::lock_guard lock(mutex);
        texts.emplace_back(text);
    }
    void SetProgressPosition(int percent) override {
        std::lock_guard lock(mutex);
        positions.push_back(percent);
    }
    std::mutex mutex;
    std::vector<std::string> texts;
    std::vector<int> positions;
};

class RecordingSimTest : public SimTest {
  protected:
    std::unique_ptr<DvrConnection> Connection(RecordingSinks& sinks) {
        auto c = std::make_unique<DvrConnection>(sinks, sinks, sinks, Timings());
        RecorderSettings settings;
        settings.recordRoot = dir_ / "record/";
        settings.backupRoot = dir_ / "backup/";
        c->recorder().Configure(settings);
        client::ConnectionParams p = Params();
        p.dvrName = "Lobby";
        c->SetParams(p);
        return c;
    }
    // Everything received is stopped, left and written.
    static void StopAll(DvrConnection& c) {
        StopAndWait(c);
        c.recorder().Stop();
        c.recorder().Flush();
    }
    static bool Press(DvrConnection& c, PlaybackButton button) {
        return Await([&](CommandDone done) { c.playback().Press(button, std::move(done)); }).ok();
    }
    static CommandResult Search(DvrConnection& c, const media::CivilTime& from,
                                const media::CivilTime& to, int channel, int event) {
        return Await([&](CommandDone done) {
            c.commands().EventSearch(from, to, channel, event, std::move(done));
        });
    }
    static CommandResult Calendar(DvrConnection& c) {
        return Await([&](CommandDone done) { c.commands().QueryCalendar(std::move(done)); });
    }
    // The records of a recording folder's pairs, in pair order.
    std::vector<std::vector<Stored>> Pairs(const std::string& folder) {
        std::vector<std::vector<Stored>> pairs;
        for (const std::string& umv : Sorted(folder, ".umv")) {
            media::RecordingFile file;
            EXPECT_EQ(file.Open(media::IndexPathForData(umv)), media::OpenError::kNone) << umv;
            pairs.push_back(ReadData(umv));
            size_t video = 0, audio = 0;
            for (const Stored& s : pairs.back())
                (s.header.IsAudio() ? audio : video) += 1;
            EXPECT_EQ(file.index().frameCount(), video) << umv;
            EXPECT_EQ(file.index().audioCount(), audio) << umv;
        }
        return pairs;
    }
};

// Every channel's recorded pictures are the pictures it received: in each pair an unbroken run
// that starts with an Intra picture; between two pairs only the pictures before the next pair's
// first Intra are missing.
void ExpectChannelRuns(const std::vector<std::vector<Stored>>& pairs,
                       const std::map<int, std::vector<Stored>>& received, bool toTheEnd) {
    for (const auto& [channel, got] : received) {
        size_t next = 0;
        bool first = true;
        for (const auto& pair : pairs) {
            std::vector<const Stored*> run;
            for (const Stored& s : pair)
                if (!s.header.IsAudio() && s.header.channel == channel) run.push_back(&s);
            if (run.empty()) continue;
            EXPECT_TRUE(IsIntra(run.front()->header)) << "channel " << channel;
            size_t at = next;
            while (at < got.size() && got[at].hash != run.front()->hash) {
                EXPECT_FALSE(first) << "channel " << channel << " lost its first pictures";
                EXPECT_FALSE(IsIntra(got[at].header))
                    << "channel " << channel << " skipped an Intra";
                ++at;
            }
            for (const Stored* s : run) {
                ASSERT_LT(at, got.size()) << "channel " << channel;
                ASSERT_EQ(s->hash, got[at].hash) << "channel " << channel << " picture " << at;
                ++at;
            }
            next = at;
            first = false;
        }
        EXPECT_FALSE(first) << "channel " << channel << " recorded nothing";
        if (toTheEnd) {
            EXPECT_EQ(next, got.size()) << "channel " << channel;
        }
    }
}

TEST_F(RecordingSimTest, LiveRecordingSplitsAfterFiveMinutesAndKeepsEveryPicture) {
    dvrsim::Options o = SimOptions("d1_4ch");
    o.speed = 80;  // six minutes of the recorder's time in under five seconds
    StartSim(o);
    RecordingSinks sinks;
    auto c = Connection(sinks);
    c->StartRecording(0x0007);  // channels 1 to 3, on before the first record arrives
    ASSERT_TRUE(c->ConnectLive(c->params()));
    std::string folder;
    ASSERT_TRUE(sinks.WaitFor(
        [&] {
            const auto f = Folders(dir_ / "record/");
            if (f.size() == 1) folder = f[0];
            return !folder.empty() && Sorted(folder, ".umv").size() >= 2;
        },
        600s));  // no real bound: slow builds (sanitizers) take longer
    // Every recorded channel reaches the second pair (its next Intra picture) before the stop,
    // so each channel's pictures are recorded to the end of what it received.
    int intras[3];
    for (int ch = 0; ch < 3; ++ch)
        intras[ch] = sinks.Count("picture", ch, 0);
    ASSERT_TRUE(sinks.WaitFor(
        [&] {
            for (int ch = 0; ch < 3; ++ch)
                if (sinks.Count("picture", ch, 0) <= intras[ch]) return false;
            return true;
        },
        600s));
    StopAll(*c);
    EXPECT_EQ(sinks.Count("post", Notification::StopRecording), 0);
    ExpectRecordsAsLogged(sinks);

    EXPECT_EQ(Folders(dir_ / "record/").size(), 1u);
    EXPECT_EQ(Sorted(folder, ".cdb").size(), 1u);
    const auto umv = Sorted(folder, ".umv");
    ASSERT_GE(umv.size(), 2u);
    // The folder and the pairs are named after their first pictures; the second pair starts in
    // the fifth minute after the first one's.
    const auto pairs = Pairs(folder);
    const media::FrameHeader& h0 = pairs[0].front().header;
    const media::FrameHeader& h1 = pairs[1].front().header;
    EXPECT_EQ(fs::path(umv[0]).stem().string(),
              media::PairBaseName(h0.year, h0.month, h0.day, h0.hour, h0.minute, h0.second));
    EXPECT_EQ(fs::path(folder).parent_path().filename().string(),
              "Lobby_" + fs::path(umv[0]).stem().string());
    const int64_t m0 = media::WallTimeOf(h0.year, h0.month, h0.day, h0.hour, h0.minute, 0);
    const int64_t m1 = media::WallTimeOf(h1.year, h1.month, h1.day, h1.hour, h1.minute, 0);
    EXPECT_EQ(m1 - m0, 300);

    std::map<int, std::vector<Stored>> received;
    for (const auto& r : sinks.records()) {
        const media::FrameHeader h = media::FrameHeader::Decode(r.data());
        if (h.channel < 3) received[h.channel].push_back({Sha256(r), h});
    }
    ExpectChannelRuns(pairs, received, true);

    // Audio blocks are the recorder's, in order.
    const auto audioLog = nettest::LoggedRecords(dir_ / "records.log", 1);
    size_t at = 0, audio = 0;
    for (const auto& pair : pairs)
        for (const Stored& s : pair)
            if (s.header.IsAudio()) {
                while (at < audioLog.size() && audioLog[at] != s.hash)
                    ++at;
                ASSERT_LT(at, audioLog.size()) << "audio block " << audio;
                ++audio;
            }
    EXPECT_GT(audio, 100u);

    // One calendar entry per recorded minute: channels 1 to 3 with their causes.
    std::set<int64_t> minutes;
    for (const auto& pair : pairs)
        for (const Stored& s : pair)
            if (s.header.IsVideo() && s.header.kind != 2)
                minutes.insert(media::WallTimeOf(s.header.year, s.header.month, s.header.day,
                                                 s.header.hour, s.header.minute, 0));
    media::Calendar calendar;
    ASSERT_TRUE(calendar.LoadFolder(folder));
    EXPECT_EQ(calendar.header().recorderName, "Lobby");
    EXPECT_EQ(calendar.header().channels, 4);
    EXPECT_EQ(calendar.header().titles[1], "CAMERA 2");
    ASSERT_EQ(calendar.minutes().size(), minutes.size());
    size_t i = 0;
    for (int64_t m : minutes) {
        const media::RecordedMinute& entry = calendar.minutes()[i];
        EXPECT_EQ(entry.minute, m);
        if (i > 0 && i + 1 < minutes.size()) {
            // A whole minute holds pictures of every recorded channel, with the sample's motion
            // on channel 2 and sensor on channel 3.
            EXPECT_EQ(entry.codes, (std::array<uint8_t, 16>{1, 2, 3})) << "minute " << i;
        }
        ++i;
    }
}

TEST_F(RecordingSimTest, BackupRecordsItsRangeFromTheFirstRecordAndCompletes) {
    dvrsim::Options o = SimOptions("d1_4ch");
    o.speed = 20;  // paced, so the audio stream comes along as it would
    StartSim(o);
    RecordingSinks sinks;
    Progress progress;
    auto c = Connection(sinks);
    c->SetProgressView(&progress);
    ASSERT_TRUE(c->StartBackup("20260314095953", "20260314100001", 0x3));
    ASSERT_TRUE(
        sinks.WaitFor([&] { return sinks.Count("post", Notification::BackupDone) > 0; }, 20s));
    EXPECT_EQ(sinks.Count("post", Notification::BackupDone, 1), 1);
    EXPECT_EQ(sinks.Messages(), std::vector<std::string>{"Backup completed."});
    EXPECT_FALSE(c->recorder().on());
    StopAll(*c);
    {
        std::lock_guard lock(progress.mutex);
        ASSERT_GE(progress.positions.size(), 4u);
        EXPECT_EQ(progress.positions.front(), 0);
        EXPECT_EQ(progress.positions.back(), 100);
        EXPECT_TRUE(std::is_sorted(progress.positions.begin(), progress.positions.end()));
        EXPECT_EQ(progress.texts.back(), "completed 100%");
    }

    const auto folders = Folders(dir_ / "backup/");
    ASSERT_EQ(folders.size(), 1u);
    const auto pairs = Pairs(folders[0]);
    ASSERT_EQ(pairs.size(), 1u);
    // The pair holds every picture the client received for the backup, from the very first
    // (nothing waits for the window to turn recording on) to the one that reached the end time,
    // byte for byte as the recorder sent them.
    const Stored& first = pairs[0].front();
    EXPECT_TRUE(IsIntra(first.header));
    const auto received = sinks.records();
    ASSERT_FALSE(received.empty());
    EXPECT_EQ(Sha256(received.front()), first.hash);
    std::map<int, std::vector<Stored>> byChannel;
    for (const auto& r : received) {
        const media::FrameHeader h = media::FrameHeader::Decode(r.data());
        byChannel[h.channel].push_back({Sha256(r), h});
    }
    EXPECT_EQ(byChannel.size(), 2u);
    ExpectChannelRuns(pairs, byChannel, true);
    // Pictures came on the video stream (logged as MODE 2), audio on the audio stream (MODE 3).
    const std::vector<std::string> logs[2] = {nettest::LoggedRecords(dir_ / "records.log", 2),
                                              nettest::LoggedRecords(dir_ / "records.log", 3)};
    size_t at[2] = {0, 0};
    for (const Stored& s : pairs[0]) {
        const int k = s.header.IsAudio();
        while (at[k] < logs[k].size() && logs[k][at[k]] != s.hash)
            ++at[k];
        ASSERT_LT(at[k], logs[k].size()) << "a record the recorder did not send";
    }
    EXPECT_GT(at[1], 0u);  // the backup has its audio
    const media::FrameHeader& last = pairs[0].back().header;
    EXPECT_GE(
        media::WallTimeOf(last.year, last.month, last.day, last.hour, last.minute, last.second),
        media::WallTimeOf(126, 2, 14, 10, 0, 1));
    EXPECT_EQ(fs::path(folders[0]).parent_path().filename().string(),
              "Lobby_" + media::PairBaseName(first.header.year, first.header.month,
                                             first.header.day, first.header.hour,
                                             first.header.minute, first.header.second));
}

TEST_F(RecordingSimTest, ABackupOfARangeWithoutRecordingsWritesNothing) {
    StartSim(SimOptions("d1_4ch"));
    RecordingSinks sinks;
    auto c = Connection(sinks);
    ASSERT_TRUE(c->StartBackup("20260315095953", "20260315100001", 0x3));
    ASSERT_TRUE(sinks.WaitFor([&] { return !c->stream().running(); }));
    EXPECT_EQ(sinks.Messages(), std::vector<std::string>{"No Video Data Error!!"});
    StopAll(*c);
    EXPECT_TRUE(Folders(dir_ / "backup/").empty());
    EXPECT_FALSE(c->StartBackup("20260315100001", "20260315100001", 0x3));  // an empty range
    EXPECT_FALSE(c->StartBackup("2026031510000", "20260315100001", 0x3));
}

TEST_F(RecordingSimTest, ABackupThatLosesItsConnectionResumesWithoutRepeats) {
    dvrsim::Options o = SimOptions("d1_4ch");
    o.faults.closeAfterBytes = 200000;  // the first stream breaks off mid-way
    StartSim(o);
    RecordingSinks sinks;
    auto c = Connection(sinks);
    ASSERT_TRUE(c->StartBackup("20260314095953", "20260314100003", 0x3));
    ASSERT_TRUE(
        sinks.WaitFor([&] { return sinks.Count("post", Notification::BackupDone) > 0; }, 20s));
    EXPECT_EQ(sinks.Count("post", Notification::BackupDone, 1), 1);
    StopAll(*c);
    const RecorderStats stats = c->recorder().stats();
    EXPECT_GE(stats.repeated, 1u);  // the recorder sent again what had been written

    const auto folders = Folders(dir_ / "backup/");
    ASSERT_EQ(folders.size(), 1u);
    const auto pairs = Pairs(folders[0]);
    ASSERT_EQ(pairs.size(), 1u);
    std::set<std::string> seen;
    for (const Stored& s : pairs[0])
        EXPECT_TRUE(seen.insert(s.hash).second) << "a record was written twice";
    // Each channel's pictures, once each, in the order the recorder first sent them.
    std::map<std::string, media::FrameHeader> headers;
    for (const Stored& s : pairs[0])
        headers[s.hash] = s.header;
    std::map<int, std::vector<Stored>> sent;
    std::set<std::string> once;
    bool started[2] = {};
    for (const std::string& h : nettest::LoggedRecords(dir_ / "records.log", 2)) {
        auto it = headers.find(h);
        if (it == headers.end() || !once.insert(h).second) continue;
        started[it->second.channel] = started[it->second.channel] || IsIntra(it->second);
        if (started[it->second.channel]) sent[it->second.channel].push_back({h, it->second});
    }
    ExpectChannelRuns(pairs, sent, true);
}

TEST_F(RecordingSimTest, FilePlaybackAndTimePlaybackEndWithNoMoreVideo) {
    StartSim(SimOptions("d1_4ch"));
    RecordingSinks sinks;
    auto c = Connection(sinks);
    ASSERT_TRUE(c->playback().PlayFile("/hdda/recs/20260314/ch01/260314_095955_01_M.umv"));
    ASSERT_TRUE(sinks.WaitFor([&] { return !c->stream().running(); }));
    EXPECT_EQ(sinks.Messages(), std::vector<std::string>{"No More Video!!"});
    EXPECT_EQ(sinks.Count("post", Notification::PlaybackEnded), 1);
    EXPECT_GT(sinks.Count("picture", 1), 20);
    EXPECT_EQ(sinks.Count("picture"), sinks.Count("picture", 1));    // the file's channel only
    EXPECT_EQ(sinks.Count("post", Notification::PlaybackState), 0);  // not shown for a file
    EXPECT_EQ(sinks.Count("still", kAllChannels, static_cast<int>(CellPicture::Idle)), 1);

    sinks.Clear();
    ASSERT_TRUE(c->playback().PlayFromTime("260314100001"));
    ASSERT_TRUE(sinks.WaitFor([&] { return !c->stream().running(); }));
    EXPECT_EQ(sinks.Messages(), std::vector<std::string>{"No More Video!!"});
    EXPECT_EQ(sinks.Count("post", Notification::CalendarSearch), 1);
    EXPECT_EQ(sinks.Count("post", Notification::PlaybackState, 1), 1);
    EXPECT_EQ(sinks.Count("post", Notification::Stream, 0), 1);  // the file playback was stopped
    StopAll(*c);
    const auto controls = ControlLog();
    EXPECT_EQ(std::count(controls.begin(), controls.end(), "MODE=5&CID=1&OP=5"), 1);
    EXPECT_EQ(std::count(controls.begin(), controls.end(), "MODE=5&CID=2&OP=5"), 1);
}

TEST_F(RecordingSimTest, PlaybackButtonsSteerTheRecorder) {
    dvrsim::Options o = SimOptions("d1_4ch");
    o.speed = 2;
    StartSim(o);
    RecordingSinks sinks;
    auto c = Connection(sinks);
    ASSERT_TRUE(c->playback().PlayFromTime("260314095958"));  // room to play on and to go back
    ASSERT_TRUE(WaitPictures(sinks, 10));
    auto state = [&](int s) {
        return sinks.WaitFor(
            [&] { return sinks.Count("post", Notification::PlaybackState, s) > 0; });
    };
    ASSERT_TRUE(Press(*c, PlaybackButton::Pause));
    EXPECT_TRUE(c->stream().paused());
    ASSERT_TRUE(Press(*c, PlaybackButton::NextFrame));
    EXPECT_TRUE(state(9));
    ASSERT_TRUE(Press(*c, PlaybackButton::Play));
    EXPECT_FALSE(c->stream().paused());
    EXPECT_TRUE(state(1));
    ASSERT_TRUE(Press(*c, PlaybackButton::Fast));
    EXPECT_TRUE(state(2));
    ASSERT_TRUE(Press(*c, PlaybackButton::RevPlay));
    EXPECT_TRUE(state(17));
    ASSERT_TRUE(Press(*c, PlaybackButton::Stop));
    EXPECT_FALSE(c->stream().running());
    StopAll(*c);
    EXPECT_EQ(sinks.Count("post", Notification::CalendarSearch), 1);
    std::vector<std::string> reqs;
    for (const std::string& line : ControlLog())
        if (line.find("OP=8") != std::string::npos)
            reqs.push_back(line.substr(line.rfind('=') + 1));
    EXPECT_EQ(reqs, (std::vector<std::string>{"5", "7", "4", "3", "6", "1"}));
    // The "Stop" button's control reaches the recorder before the stream leaves it.
    const auto log = ControlLog();
    ptrdiff_t lastControl = -1, leave = -1;
    for (size_t i = 0; i < log.size(); ++i) {
        if (log[i].find("OP=8") != std::string::npos) lastControl = static_cast<ptrdiff_t>(i);
        if (log[i] == "MODE=5&CID=1&OP=5" && leave < 0) leave = static_cast<ptrdiff_t>(i);
    }
    ASSERT_GE(lastControl, 0);
    ASSERT_GE(leave, 0);
    EXPECT_LT(lastControl, leave);

    // "Play" with no stream up plays the last file again; there was none.
    EXPECT_FALSE(c->playback().Press(PlaybackButton::Play));
}

TEST_F(RecordingSimTest, SearchAndCalendarQueries) {
    StartSim(SimOptions("d1_4ch"));
    RecordingSinks sinks;
    Progress progress;
    auto c = Connection(sinks);
    c->SetProgressView(&progress);
    const media::CivilTime from{2026, 3, 14, 0, 0, 0}, to{2026, 3, 14, 23, 59, 59};
    EXPECT_EQ(Search(*c, from, to, 16, 0).net.status, NetStatus::NotConnected);
    EXPECT_EQ(sinks.Messages(), std::vector<std::string>{"Check Connection!!"});
    ASSERT_TRUE(c->ConnectLive(c->params()));
    ASSERT_TRUE(WaitPictures(sinks, 1));

    CommandResult all = Search(*c, from, to, 16, 0);
    ASSERT_TRUE(all.ok());
    const auto entries = ParseEventSearch(all.body);
    EXPECT_EQ(entries.size(), 8u);
    CommandResult motion = Search(*c, from, to, 1, 1);
    const auto m = ParseEventSearch(motion.body);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].start, "26-03-14 09:59:55");
    EXPECT_EQ(m[0].channel, "2");
    EXPECT_EQ(m[0].event, "Motion");

    CommandResult cal = Calendar(*c);
    ASSERT_TRUE(cal.ok());
    media::Calendar calendar;
    ASSERT_TRUE(calendar.Parse(cal.body));
    ASSERT_EQ(calendar.minutes().size(), 2u);  // 09:59 and 10:00
    EXPECT_EQ(calendar.minutes()[0].codes[1], 2);
    {
        std::lock_guard lock(progress.mutex);
        EXPECT_EQ(progress.texts.front(), "completed 0%");
        EXPECT_EQ(progress.texts.back(), "completed 100%");
        EXPECT_EQ(progress.positions.back(), 100);
        progress.texts.clear();
    }

    // An answer beyond the limit is cut off and the query fails; the progress still ends.
    c->commands().SetQueryLimit(100);
    CommandResult cut = Calendar(*c);
    EXPECT_EQ(cut.net.status, NetStatus::TooLarge);
    EXPECT_TRUE(cut.body.empty());
    std::lock_guard lock(progress.mutex);
    EXPECT_EQ(progress.texts.back(), "completed 100%");
}

}  // namespace
