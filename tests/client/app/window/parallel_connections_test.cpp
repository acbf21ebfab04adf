// Every live channel, the audio stream and each control is a connection of its own to one
// recorder: the transport must hold well over 32 of them open at once.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "client/net/requests.h"
#include "client/net/stream_channel.h"
#include "tests/support/temp_dir.h"
#include "tools/dvrsim/server.h"

namespace {

TEST(ParallelConnections, ThirtyFourStreamsToOneRecorderAreOpenAtOnce) {
    dvrsim::Options o;
    o.source = std::string(DVR_SOURCE_DIR) + "/samples/cif_16ch";
    o.maxClients = 64;
    dvrsim::Server sim;
    std::string error;
    ASSERT_TRUE(sim.Start(o, &error)) << error;

    client::StreamTarget target;
    target.user = "admin";
    target.password = "admin";
    const std::string query = client::StreamQuery(target);
    const client::Endpoint endpoint{"127.0.0.1", sim.port()};
    std::vector<std::unique_ptr<client::StreamChannel>> channels;
    for (int i = 0; i < 34; ++i) {
        channels.push_back(client::MakeCurlStreamChannel(endpoint, 10000));
        ASSERT_TRUE(channels.back()->Open(query)) << "connection " << i;
    }
    EXPECT_EQ(sim.liveClients(), 34);
    // Every one of them carries its stream while all are open.
    for (auto& channel : channels) {
        EXPECT_EQ(channel->WaitForData(10000), client::WaitResult::Data);
        uint8_t bytes[64];
        EXPECT_GT(channel->Read(bytes, sizeof bytes), 0u);
    }
    for (auto& channel : channels)
        channel->Close();
}

}  // namespace
