// The firmware upgrade and the backup file list against a simulated recorder (dvrsim, for the
// controls and the search) and a real FTP server holding the recorder's files.
#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <mutex>

#include "client/net/event_search.h"
#include "client/net/firmware_upgrade.h"
#include "client/net/http_post.h"
#include "client/net/recording_download.h"
#include "client/net/requests.h"
#include "tests/client/net/ftp_server.h"
#include "tests/client/net/recorded_progress.h"
#include "tests/client/net/sim_fixture.h"
#include "tests/support/process.h"
#include "tests/support/run_command.h"

namespace {

namespace fs = std::filesystem;
using client::FtpStatus;

std::vector<uint8_t> Pattern(size_t n, uint8_t seed) {
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + seed + (i >> 11));
    return bytes;
}

using Progress = nettest::RecordedProgress;

class FtpSimTest : public nettest::SimTest {
  protected:
    void SetUp() override {
        StartSim(SimOptions());
        fs::create_directories(root() + "/hdda");  // the recorder's disk
        ASSERT_TRUE(ftp_.Start(root(), "admin", "4321"));
    }
    std::string root() const { return dir_ / "ftp"; }

    client::UpgradeRequest Upgrade(const std::string& image, client::UpgradeTarget target) const {
        client::UpgradeRequest r;
        r.host = "127.0.0.1";
        r.httpPort = std::to_string(sim_.port());
        r.user = "admin";
        r.password = "4321";
        r.localPath = image;
        r.target = target;
        r.ftpPort = ftp_.port();
        return r;
    }
    client::UpgradeOutcome RunUpgrade(const client::UpgradeRequest& request, Progress* progress,
                                      client::FirmwareUpgrade& upgrade) {
        std::promise<client::UpgradeOutcome> ended;
        EXPECT_TRUE(upgrade.Start(request, progress,
                                  [&](const client::UpgradeOutcome& o) { ended.set_value(o); }));
        return ended.get_future().get();
    }

    testsupport::FtpServer ftp_;
};

TEST_F(FtpSimTest, AKernelImageLandsWholeAndTheRecorderIsToldToInstallIt) {
    const auto image = Pattern(3000000, 3);
    testsupport::WriteFile(dir_ / "img", image);
    Progress progress;
    client::FirmwareUpgrade upgrade;
    const auto out =
        RunUpgrade(Upgrade(dir_ / "img", client::UpgradeTarget::Kernel), &progress, upgrade);
    ASSERT_TRUE(out.ok()) << out.upload.Describe() << " / " << out.control.Describe();
    EXPECT_EQ(testsupport::ReadFile(root() + "/hdda/upgrade/kernel/img"), image);
    EXPECT_TRUE(fs::is_directory(root() + "/hdda/upgrade/ramdisk"));
    const auto positions = progress.positions();
    EXPECT_EQ(positions.size(), 1000u);  // one per 3,000-byte chunk
    EXPECT_EQ(positions.back(), 100);
    EXPECT_EQ(
        sim_.controls(),
        (std::vector<std::string>{"MODE=5&OP=13&LEN=32&REQ=/hdda/upgrade/kernel/img|3000000"}));

    // Again as a RAM disk image: the folders exist by now, which is no error.
    testsupport::WriteFile(dir_ / "ramdisk.gz", Pattern(4500, 9));
    const auto again =
        RunUpgrade(Upgrade(dir_ / "ramdisk.gz", client::UpgradeTarget::Ramdisk), nullptr, upgrade);
    ASSERT_TRUE(again.ok()) << again.upload.Describe();
    EXPECT_EQ(testsupport::ReadFile(root() + "/hdda/upgrade/ramdisk/ramdisk.gz"), Pattern(4500, 9));
    EXPECT_EQ(sim_.controls().back(),
              "MODE=5&OP=12&LEN=37&REQ=/hdda/upgrade/ramdisk/ramdisk.gz|4500");
}

TEST_F(FtpSimTest, ACancelledOrRefusedUploadNeverSendsTheControl) {
    testsupport::WriteFile(dir_ / "img", Pattern(3000000, 5));
    client::FirmwareUpgrade upgrade;
    Progress progress;
    progress.onEach = [&](int percent) {
        if (percent == 30) upgrade.Cancel();
    };
    const auto out =
        RunUpgrade(Upgrade(dir_ / "img", client::UpgradeTarget::Kernel), &progress, upgrade);
    EXPECT_TRUE(out.cancelled());
    EXPECT_FALSE(out.controlSent);
    ASSERT_FALSE(progress.positions().empty());
    EXPECT_LT(progress.positions().back(), 100);

    auto wrong = Upgrade(dir_ / "img", client::UpgradeTarget::Kernel);
    wrong.password = "0000";
    const auto refused = RunUpgrade(wrong, nullptr, upgrade);
    EXPECT_EQ(refused.upload.status, FtpStatus::LoginRejected);
    EXPECT_FALSE(refused.controlSent);

    const auto missing =
        RunUpgrade(Upgrade(dir_ / "nothing", client::UpgradeTarget::Kernel), nullptr, upgrade);
    EXPECT_EQ(missing.upload.status, FtpStatus::LocalFileFailed);
    EXPECT_TRUE(sim_.controls().empty());
}

TEST_F(FtpSimTest, AnInstallRequestThatDoesNotArriveIsNoSuccess) {
    testsupport::WriteFile(dir_ / "img", Pattern(6000, 2));
    auto request = Upgrade(dir_ / "img", client::UpgradeTarget::Kernel);
    const uint16_t closed = sim_.port();
    sim_.Stop();  // the web server is gone; the FTP server still takes the image
    request.httpPort = std::to_string(closed);
    client::FirmwareUpgrade upgrade;
    const auto out = RunUpgrade(request, nullptr, upgrade);
    EXPECT_TRUE(out.upload.ok());
    EXPECT_TRUE(out.controlSent);
    EXPECT_EQ(out.control.status, client::NetStatus::Unreachable);
    EXPECT_FALSE(out.ok());
}

TEST(UpgradeFields, RequiredFieldsAndTheDefaultPort) {
    client::UpgradeRequest r{"dvr", "", "admin", "pw", "/images/img"};
    EXPECT_EQ(client::CheckUpgradeFields(&r), client::UpgradeFields::Ok);
    EXPECT_EQ(r.httpPort, "80");  // an empty port is the web server's
    EXPECT_EQ(r.ftpPort, client::kFtpPort);
    // The install control goes to the web server's port 80 when the field was left empty.
    const client::Endpoint control = client::UpgradeControlEndpoint(r);
    EXPECT_EQ(control.host, "dvr");
    EXPECT_EQ(control.port, 80);
    client::UpgradeRequest unchecked = r;
    unchecked.httpPort.clear();
    EXPECT_EQ(client::UpgradeControlEndpoint(unchecked).port, 80);
    unchecked.httpPort = "8080";
    EXPECT_EQ(client::UpgradeControlEndpoint(unchecked).port, 8080);
    for (auto clear : {&client::UpgradeRequest::host, &client::UpgradeRequest::user,
                       &client::UpgradeRequest::password, &client::UpgradeRequest::localPath}) {
        client::UpgradeRequest missing = r;
        missing.*clear = "";
        EXPECT_EQ(client::CheckUpgradeFields(&missing), client::UpgradeFields::Missing);
    }
    for (const char* bad : {"0", "65536", "8o", "-1"}) {
        client::UpgradeRequest port = r;
        port.httpPort = bad;
        EXPECT_EQ(client::CheckUpgradeFields(&port), client::UpgradeFields::BadPort) << bad;
    }
    EXPECT_EQ(client::UpgradeRemotePath(client::UpgradeTarget::Kernel, "/images/v2/img"),
              "/hdda/upgrade/kernel/img");
    EXPECT_EQ(client::UpgradeRemotePath(client::UpgradeTarget::Ramdisk, "ramdisk"),
              "/hdda/upgrade/ramdisk/ramdisk");
}

TEST(BackupFileName, NamesComeFromTheRecorderPathAndStayOneComponent) {
    const std::string path = "/hdda/recs/20260314/ch02/260314_095955_02_M.umv";
    EXPECT_EQ(client::BackupFileName("Shop", path), "Shop,260314_095955,3,.umv");
    EXPECT_EQ(client::BackupFileName("", path), ",260314_095955,3,.umv");
    EXPECT_EQ(client::BackupFileName("../../etc/x", path), ".._.._etc_x,260314_095955,3,.umv");
    EXPECT_EQ(client::BackupFileName(std::string("a\0b\n", 4), path), "a_b_,260314_095955,3,.umv");
    // A path that does not carry a start time and a channel in their places gives no name.
    EXPECT_FALSE(client::BackupFileName("Shop", "/hdda/recs/short.umv"));
    EXPECT_FALSE(client::BackupFileName("Shop", "/hdda/recs/20260314/ch02/../../../../x_02_M.umv"));
    EXPECT_FALSE(client::BackupFileName("Shop", "/hdda/recs/20260314/ch02/260314/095955_02_M.umv"));
    EXPECT_FALSE(client::BackupFileName("Shop", "/hdda/recs/20260314/ch02/260314_095955_/2_M.umv"));
    EXPECT_EQ(client::DownloadCounterText(2, 5), "2 / 5");
}

// Remembers what the list reported.
class Listener : public client::DownloadListener {
  public:
    void FileStarted(int index, int count) override {
        std::lock_guard lock(mutex_);
        counters.push_back(client::DownloadCounterText(index + 1, count));
    }
    void FileEnded(int, const std::string&, const client::FtpResult& r) override {
        std::lock_guard lock(mutex_);
        results.push_back(r.status);
    }
    void Finished(const client::DownloadOutcome& o) override { ended.set_value(o); }
    client::DownloadOutcome Wait() { return ended.get_future().get(); }

    std::mutex mutex_;
    std::vector<std::string> counters;
    std::vector<FtpStatus> results;
    std::promise<client::DownloadOutcome> ended;
};

class BackupListTest : public FtpSimTest {
  protected:
    // The recorder's files as its event search lists them, each put on the FTP server with
    // contents of its own.
    std::vector<std::string> SearchAndServe() {
        const media::CivilTime from{2000, 1, 1, 0, 0, 0}, to{2099, 12, 31, 23, 59, 59};
        const auto post = client::PostRequest({"127.0.0.1", sim_.port()}, client::PostKind::Query,
                                              client::EventSearchBody(from, to, 255, 0), 5000);
        EXPECT_TRUE(post.result.ok());
        std::vector<std::string> paths;
        for (const auto& e : client::ParseEventSearch(post.body)) {
            if (!e.complete()) continue;
            fs::create_directories(root() + client::RemoteFolderOf(e.path));
            testsupport::WriteFile(root() + e.path, Contents(e.path));
            paths.push_back(e.path);
        }
        return paths;
    }
    static std::vector<uint8_t> Contents(const std::string& path) {
        return Pattern(20000 + path.size() * 37, static_cast<uint8_t>(path[30]));
    }
    client::RecordingDownloadRequest Request(std::vector<std::string> paths,
                                             const std::string& dvrName = "Shop") {
        client::RecordingDownloadRequest r;
        r.login = {"127.0.0.1", ftp_.port(), "admin", "4321"};
        r.dvrName = dvrName;
        r.folder = dir_ / "out/backup/";
        r.recorderPaths = std::move(paths);
        r.probe = [](const std::string&) { return std::optional<uint64_t>(uint64_t{1} << 40); };
        return r;
    }
    // Every file under the test folder outside the FTP root.
    std::vector<std::string> LocalFiles() {
        std::vector<std::string> files;
        for (const auto& e : fs::recursive_directory_iterator(dir_.path()))
            if (e.is_regular_file() && e.path().string().rfind(root(), 0) != 0 &&
                e.path().extension() == ".umv")
                files.push_back(e.path().lexically_relative(dir_.path()).string());
        std::sort(files.begin(), files.end());
        return files;
    }
};

TEST_F(BackupListTest, TwoCheckedFilesArriveUnderTheirNames) {
    const auto paths = SearchAndServe();
    ASSERT_GE(paths.size(), 2u);
    const std::vector<std::string> chosen = {paths[0], paths.back()};
    Listener listener;
    Progress progress;
    client::RecordingDownload download;
    ASSERT_TRUE(download.Start(Request(chosen), &progress, listener));
    const auto out = listener.Wait();
    EXPECT_EQ(out.end, client::DownloadEnd::Completed);
    EXPECT_EQ(out.done, 2);
    EXPECT_EQ(listener.counters, (std::vector<std::string>{"1 / 2", "2 / 2"}));
    ASSERT_EQ(out.written.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        const std::string expected =
            dir_ / ("out/backup/" + *client::BackupFileName("Shop", chosen[i]));
        EXPECT_EQ(out.written[i], expected);
        EXPECT_EQ(testsupport::ReadFile(expected), Contents(chosen[i])) << expected;
    }
    EXPECT_EQ(progress.positions().back(), 100);
}

TEST_F(BackupListTest, NamesFromTheRecorderOrTheUserNeverLeadOutOfTheFolder) {
    const auto paths = SearchAndServe();
    ASSERT_FALSE(paths.empty());
    // A recorder path whose start-time characters try to climb out.
    const std::string climbing = "/hdda/recs/20260314/ch02/../../../../../ou_02_M.umv";
    fs::create_directories(root() + "/hdda/recs/20260314/ch02");
    Listener listener;
    client::RecordingDownload download;
    ASSERT_TRUE(download.Start(Request({climbing, paths[0]}, "../../../x/y"), nullptr, listener));
    const auto out = listener.Wait();
    EXPECT_EQ(out.end, client::DownloadEnd::SomeFailed);
    EXPECT_EQ(out.done, 1);
    EXPECT_EQ(LocalFiles(),
              (std::vector<std::string>{"out/backup/" +
                                        *client::BackupFileName("../../../x/y", paths[0])}));
    EXPECT_EQ(listener.results.front(), FtpStatus::RemoteOpenFailed);
}

TEST_F(BackupListTest, AFullDiskOrARefusedLoginFetchesNothing) {
    const auto paths = SearchAndServe();
    ASSERT_FALSE(paths.empty());
    auto full = Request({paths[0]});
    full.probe = [](const std::string&) { return std::optional<uint64_t>(uint64_t{50} << 20); };
    Listener fullListener;
    client::RecordingDownload download;
    ASSERT_TRUE(download.Start(full, nullptr, fullListener));
    EXPECT_EQ(fullListener.Wait().end, client::DownloadEnd::DiskFull);
    download.Wait();

    auto refused = Request({paths[0]});
    refused.login.password = "0000";
    Listener refusedListener;
    ASSERT_TRUE(download.Start(refused, nullptr, refusedListener));
    const auto out = refusedListener.Wait();
    EXPECT_EQ(out.end, client::DownloadEnd::LoginFailed);
    EXPECT_EQ(out.connect.status, FtpStatus::LoginRejected);
    EXPECT_TRUE(LocalFiles().empty());
    EXPECT_FALSE(download.Start(Request({}), nullptr, refusedListener));
}

}  // namespace

namespace {

class UmvtoolUpgradeTest : public FtpSimTest {
  protected:
    testsupport::CommandResult Upgrade(const std::string& options) {
        return testsupport::RunCommand(testsupport::kUmvtool + " upgrade --host 127.0.0.1 --port " +
                                       std::to_string(sim_.port()) + " --user admin " + options +
                                       " 2>&1");
    }
};

TEST_F(UmvtoolUpgradeTest, PrintsItsProgressAndTheEnd) {
    testsupport::WriteFile(dir_ / "img", Pattern(3000000, 1));
    const auto r = Upgrade("--password 4321 --kernel " + dir_ / "img" + " --ftp-port " +
                           std::to_string(ftp_.port()));
    ASSERT_EQ(r.status, 0) << r.out;
    const auto lines = testsupport::Lines(r.out);
    ASSERT_EQ(lines.size(), 102u) << r.out;  // progress 0% .. 100%, then the end
    EXPECT_EQ(lines.front(), "progress 0%");
    EXPECT_EQ(lines[100], "progress 100%");
    EXPECT_EQ(lines.back(), "File transfer completed.");
    EXPECT_EQ(
        sim_.controls(),
        (std::vector<std::string>{"MODE=5&OP=13&LEN=32&REQ=/hdda/upgrade/kernel/img|3000000"}));

    // The FTP port may also come from the environment.
    const auto env = testsupport::RunCommand(
        "HALVEX_FTP_PORT=" + std::to_string(ftp_.port()) + " " + testsupport::kUmvtool +
        " upgrade --host 127.0.0.1 --port " + std::to_string(sim_.port()) +
        " --user admin --password 4321 --ramdisk " + dir_ / "img" + " 2>&1");
    EXPECT_EQ(env.status, 0) << env.out;
    EXPECT_EQ(sim_.controls().size(), 2u);
}

TEST_F(UmvtoolUpgradeTest, AFailureIsPrintedAndEndsWithStatusOne) {
    testsupport::WriteFile(dir_ / "img", Pattern(3000, 1));
    const auto refused = Upgrade("--password 0000 --kernel " + dir_ / "img" + " --ftp-port " +
                                 std::to_string(ftp_.port()));
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.out.find("FTP login failed"), std::string::npos) << refused.out;
    EXPECT_TRUE(sim_.controls().empty());

    EXPECT_EQ(Upgrade("--password 4321 " + dir_ / "img").status, 2);  // no --kernel/--ramdisk
}

}  // namespace
