// dvrsim and `umvtool live`, run as processes the way a user runs them.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"

extern char** environ;

namespace {

using testsupport::Quote;
using testsupport::RunCommand;

const std::string kUmvtool = std::string(DVR_BINARY_DIR) + "/tools/umvtool/umvtool";
const std::string kDvrsim = std::string(DVR_BINARY_DIR) + "/tools/dvrsim/dvrsim";
const std::string kSamples = std::string(DVR_SOURCE_DIR) + "/samples/";

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// dvrsim running in the background on a free port, ended when the test ends.
class Dvrsim {
  public:
    explicit Dvrsim(std::vector<std::string> args) {
        args.insert(args.begin(), {kDvrsim, "--port", "0"});
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        int out[2];
        if (pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        if (posix_spawn(&pid_, kDvrsim.c_str(), &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        FILE* in = fdopen(out[0], "r");
        unsigned port = 0;
        if (in && std::fscanf(in, "port %u", &port) == 1) port_ = static_cast<int>(port);
        if (in) std::fclose(in);
    }
    ~Dvrsim() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            waitpid(pid_, &status, 0);
        }
    }
    int port() const { return port_; }

  private:
    pid_t pid_ = -1;
    int port_ = 0;
};

testsupport::CommandResult Live(int port, const std::string& more) {
    return RunCommand(kUmvtool + " live --host 127.0.0.1 --port " + std::to_string(port) + " " +
                      more + " 2>&1");
}

TEST(UmvtoolLive, PrintsTheEventsOfALiveConnection) {
    Dvrsim sim({"--source", kSamples + "d1_4ch", "--speed", "8", "--admin-password", "pw",
                "--title", "Lobby"});
    ASSERT_GT(sim.port(), 0);
    const auto r = Live(sim.port(), "--user admin --password pw --seconds 1.5");
    EXPECT_EQ(r.status, 0) << r.out;
    const auto lines = Lines(r.out);
    ASSERT_GE(lines.size(), 8u) << r.out;
    EXPECT_EQ(lines[0], "channels: 4");
    EXPECT_EQ(lines[1], "title 1: Lobby");
    EXPECT_EQ(lines[2], "title 2: CAMERA 2");
    const std::regex picture(R"(picture [1-4] [0-2] \d{4}-\d\d-\d\d \d\d:\d\d:\d\d)");
    int pictures = 0;
    bool connected = false, audio = false, motion = false;
    for (const std::string& line : lines) {
        pictures += std::regex_match(line, picture);
        connected = connected || line == "connected";
        audio = audio || line == "audio 1";
        motion = motion || line == "motion 2 1";
        EXPECT_NE(line, "lost");
    }
    EXPECT_TRUE(connected);
    EXPECT_TRUE(audio);
    EXPECT_TRUE(motion);
    EXPECT_GT(pictures, 100);
}

TEST(UmvtoolLive, WrongPasswordShowsTheMessageAndFails) {
    Dvrsim sim({"--source", kSamples + "d1_4ch", "--admin-password", "pw"});
    ASSERT_GT(sim.port(), 0);
    const auto r = Live(sim.port(), "--user admin --password nope --seconds 5");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Lines(r.out), (std::vector<std::string>{"message: Password Miss Error!!", "lost"}));
}

TEST(UmvtoolLive, ChosenChannelsAreAskedForAndShown) {
    testsupport::TempDir dir;
    Dvrsim sim(
        {"--source", kSamples + "cif_16ch", "--speed", "4", "--control-log", dir / "controls.log"});
    ASSERT_GT(sim.port(), 0);
    const auto r = Live(sim.port(), "--user admin --password admin --seconds 1 --channels 1,3");
    EXPECT_EQ(r.status, 0) << r.out;
    int pictures = 0;
    for (const std::string& line : Lines(r.out)) {
        if (line.rfind("picture ", 0) != 0) continue;
        ++pictures;
        EXPECT_TRUE(line.rfind("picture 1 ", 0) == 0 || line.rfind("picture 3 ", 0) == 0) << line;
    }
    EXPECT_GT(pictures, 10);
    std::ifstream log(dir / "controls.log");
    std::vector<std::string> controls;
    for (std::string line; std::getline(log, line);)
        controls.push_back(line);
    ASSERT_GE(controls.size(), 2u);
    EXPECT_EQ(controls[0], "MODE=5&CID=101&OP=3&CH=5&LEN=1&REQ=");
    EXPECT_EQ(controls[1], "MODE=5&CID=1&OP=3&CH=5&LEN=1&REQ=");
}

TEST(UmvtoolLive, NoRecorderFails) {
    testsupport::TempDir dir;
    int port = 0;
    {
        Dvrsim sim({"--source", kSamples + "d1_4ch"});
        port = sim.port();
    }
    ASSERT_GT(port, 0);
    const auto r = Live(port, "--user admin --password admin --seconds 5");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Lines(r.out), std::vector<std::string>{"lost"});
    EXPECT_EQ(RunCommand(kUmvtool + " live --host 127.0.0.1 2>/dev/null").status, 2);
}

TEST(DvrsimCommand, RefusesBadArguments) {
    EXPECT_EQ(
        RunCommand(kDvrsim + " --source " + Quote(kSamples) + " --bogus 1 2>/dev/null").status, 2);
    EXPECT_EQ(RunCommand(kDvrsim + " 2>/dev/null").status, 2);
    EXPECT_EQ(RunCommand(kDvrsim + " --port 0 --source /nonexistent 2>/dev/null").status, 1);
    const auto help = RunCommand(kDvrsim + " --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--record-log"), std::string::npos);
}

}  // namespace
