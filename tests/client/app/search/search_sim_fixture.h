// The search side against a simulated recorder: a connection to it that backs up into the test's
// folder, and what a backup left there, read back with umvtool as a user would.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "tests/client/net/sim_fixture.h"
#include "tests/support/run_command.h"

namespace client::search::test {

class SearchSimFixture : public nettest::SimTest {
  protected:
    // A connection to the recorder named "Lobby" whose backups go to the test's "backup/".
    std::unique_ptr<DvrConnection> BackupConnection(nettest::RecordingSinks& sinks) {
        auto c = std::make_unique<DvrConnection>(sinks, sinks, sinks, Timings());
        RecorderSettings settings;
        settings.backupRoot = dir_ / "backup/";
        c->recorder().Configure(settings);
        ConnectionParams p = Params();
        p.dvrName = "Lobby";
        c->SetParams(p);
        return c;
    }
};

// Every recording pair under `folder` opens with `umvtool info` and shows `day`; at least one is
// there.
inline void ExpectRecordingsOpen(const std::string& folder, const std::string& day) {
    int pairs = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.path().extension() != ".idx") continue;
        ++pairs;
        const auto info =
            testsupport::RunCommand(std::string(DVR_BINARY_DIR) + "/tools/umvtool/umvtool info " +
                                    testsupport::Quote(entry.path().string()) + " 2>&1");
        EXPECT_EQ(info.status, 0) << info.out;
        EXPECT_NE(info.out.find(day), std::string::npos) << info.out;
    }
    EXPECT_GE(pairs, 1) << folder;
}

}  // namespace client::search::test
