// What the FTP dialog tests share: a simulated recorder and a real FTP server with the recorder's
// disk, the messages a dialog showed, and screenshots to look at.
#pragma once

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QWidget>
#include <filesystem>

#include "tests/client/net/ftp_server.h"
#include "tests/client/net/sim_fixture.h"

namespace dialogtest {

inline std::vector<uint8_t> Pattern(size_t n, uint8_t seed) {
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<uint8_t>(i * 13 + seed + (i >> 10));
    return bytes;
}

// The string ids of the messages in a messageShown spy, in order.
inline std::vector<int> Messages(const QSignalSpy& spy) {
    std::vector<int> ids;
    for (const auto& args : spy)
        ids.push_back(args.at(0).toInt());
    return ids;
}

// Saves a picture of the widget beside the test binary, for a person to look at.
inline void Screenshot(QWidget& widget, const char* name) {
    const std::string dir = std::string(DVR_BINARY_DIR) + "/screenshots/";
    std::filesystem::create_directories(dir);
    widget.grab().save(QString::fromStdString(dir + name));
}

class DialogSimTest : public nettest::SimTest {
  protected:
    void SetUp() override {
        StartSim(SimOptions());
        std::filesystem::create_directories(root() + "/hdda");
        ASSERT_TRUE(ftp_.Start(root(), "admin", "4321"));
    }
    std::string root() const { return dir_ / "ftp"; }

    testsupport::FtpServer ftp_;
};

}  // namespace dialogtest
