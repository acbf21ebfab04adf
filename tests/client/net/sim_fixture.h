// A simulated recorder in the test process (a real HTTP server on loopback) and a connection to
// it, with what the client received compared against what the recorder says it sent.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "client/net/dvr_connection.h"
#include "platform/hex_digest.h"
#include "tests/client/net/test_sinks.h"
#include "tests/support/temp_dir.h"
#include "tools/dvrsim/server.h"

namespace nettest {

inline std::string Sha256(const std::vector<uint8_t>& bytes) {
    return platform::Sha256Hex(bytes.data(), bytes.size());
}

// The hashes of one mode's records in a dvrsim record log, in order.
inline std::vector<std::string> LoggedRecords(const std::string& path, int mode) {
    std::vector<std::string> out;
    std::ifstream in(path);
    int m = 0;
    std::string hash;
    while (in >> m >> hash)
        if (m == mode) out.push_back(hash);
    return out;
}

inline std::string SamplePath(const char* name) {
    return std::string(DVR_SOURCE_DIR) + "/samples/" + name;
}

class SimTest : public ::testing::Test {
  protected:
    dvrsim::Options SimOptions(const char* sample = "cif_16ch") {
        dvrsim::Options o;
        o.source = SamplePath(sample);
        o.adminPassword = "4321";
        o.speed = 0;
        o.recordLog = dir_ / "records.log";
        o.controlLog = dir_ / "controls.log";
        return o;
    }
    void StartSim(const dvrsim::Options& o) {
        std::string error;
        ASSERT_TRUE(sim_.Start(o, &error)) << error;
    }
    client::NetTimings Timings() const {
        client::NetTimings t;
        t.watchdogMs = 400;
        t.readRetryPauseMs = 10;
        t.audioRetryPauseMs = 100;
        t.controlTimeoutMs = 5000;
        t.connectTimeoutMs = 5000;
        return t;
    }
    client::ConnectionParams Params(const std::string& user = "admin",
                                    const std::string& password = "4321") const {
        client::ConnectionParams p;
        p.host = "127.0.0.1";
        p.port = sim_.port();
        p.user = user;
        p.password = password;
        return p;
    }
    std::unique_ptr<client::DvrConnection> Connect(RecordingSinks& sinks,
                                                   const client::ConnectionParams& p) {
        auto c = std::make_unique<client::DvrConnection>(sinks, sinks, sinks, Timings());
        EXPECT_TRUE(c->ConnectLive(p));
        return c;
    }
    // Stops the stream and waits until its reader has finished and its leave posts are sent.
    static void StopAndWait(client::DvrConnection& c, bool silent = true) {
        c.stream().Stop(silent);
        c.stream().WaitStopped();
        c.commands().Drain();
    }
    static client::CommandResult Control(client::DvrConnection& c,
                                         const client::ControlRequest& control) {
        return client::Await(
            [&](client::CommandDone done) { c.commands().Control(control, std::move(done)); });
    }
    bool WaitPictures(RecordingSinks& sinks, int n,
                      std::chrono::milliseconds limit = std::chrono::seconds(20)) {
        return sinks.WaitFor([&] { return sinks.Count("picture") >= n; }, limit);
    }
    // Every record the client drew matches, in order, what the recorder logged as sent.
    void ExpectRecordsAsLogged(const RecordingSinks& sinks) {
        const auto got = sinks.records();
        const auto logged = LoggedRecords(dir_ / "records.log", 0);
        ASSERT_GE(logged.size(), got.size());
        for (size_t i = 0; i < got.size(); ++i) {
            if (Sha256(got[i]) != logged[i]) {
                const auto at = std::find(logged.begin(), logged.end(), Sha256(got[i]));
                FAIL() << "record " << i << " (" << got[i].size() << " bytes) stands at "
                       << (at - logged.begin()) << " in the log";
            }
        }
    }
    std::vector<std::string> ControlLog() { return testsupport::FileLines(dir_ / "controls.log"); }

    testsupport::TempDir dir_;
    dvrsim::Server sim_;
};

}  // namespace nettest
