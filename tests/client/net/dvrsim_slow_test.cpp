// The real 30-second watchdog, end to end (labelled slow).
#include <gtest/gtest.h>

#include "tests/client/net/sim_fixture.h"

namespace {

using namespace std::chrono_literals;
using SlowSimTest = nettest::SimTest;

TEST_F(SlowSimTest, RealWatchdogFiresAfterThirtySecondsOfSilence) {
    dvrsim::Options o = SimOptions();
    o.faults.stallAfterBytes = 100000;
    o.faults.stallSeconds = 33;
    StartSim(o);
    nettest::RecordingSinks sinks;
    client::DvrConnection c(sinks, sinks, sinks);  // the client's own time constants
    ASSERT_TRUE(c.ConnectLive(Params()));
    ASSERT_TRUE(WaitPictures(sinks, 1));
    int seen = -1;
    auto lastPicture = std::chrono::steady_clock::now();
    while (seen != sinks.Count("picture")) {
        seen = sinks.Count("picture");
        lastPicture = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(100ms);
    }
    ASSERT_TRUE(
        sinks.WaitFor([&] { return sinks.Count("post", client::Notification::Lost) == 1; }, 40s));
    const auto silent = std::chrono::steady_clock::now() - lastPicture;
    EXPECT_GT(silent, 29s);
    EXPECT_LT(silent, 32s);
    ASSERT_TRUE(WaitPictures(sinks, seen + 100, 10s));  // and the stream recovers
    StopAndWait(c);
    EXPECT_FALSE(c.stream().failed());
}

}  // namespace
