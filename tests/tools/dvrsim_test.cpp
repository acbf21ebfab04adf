// dvrsim and `umvtool live`, run as processes the way a user runs them.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include "tests/support/process.h"
#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"

namespace {

using testsupport::Dvrsim;
using testsupport::kDvrsim;
using testsupport::kSamples;
using testsupport::kUmvtool;
using testsupport::Lines;
using testsupport::Quote;
using testsupport::RunCommand;

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
    EXPECT_EQ(Lines(r.out),
              (std::vector<std::string>{"message: Password Miss Error!!", "lost",
                                        "umvtool: the recorder refused the request (code 2)"}));
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
    // The reason says nobody is there (libcurl's CURLE_COULDNT_CONNECT).
    EXPECT_EQ(Lines(r.out), (std::vector<std::string>{
                                "lost", "umvtool: the recorder cannot be reached [transport 7]"}));
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
