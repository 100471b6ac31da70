#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "engine/net/net_config.h"
#include "platform/win32/frame_clock.h"

namespace {

using velm::net::AddressFromText;
using velm::net::ConfigFromEnvironment;
using velm::net::SNetConfig;

class NetConfigFromEnvironment : public ::testing::Test {
protected:
    void TearDown() override {
        for (const char* name : {"TK_NET_ADDRESS", "TK_NET_PORT", "TK_NET_BROADCAST"}) {
            unsetenv(name);
        }
    }
};

TEST_F(NetConfigFromEnvironment, WithoutTheVariablesTheGameDefaultsHold) {
    const SNetConfig config = ConfigFromEnvironment();
    const SNetConfig defaults;
    EXPECT_EQ(config.port, defaults.port);
    EXPECT_EQ(config.bindAddress, defaults.bindAddress);
    EXPECT_EQ(config.broadcastAddress, defaults.broadcastAddress);
}

TEST_F(NetConfigFromEnvironment, GivenValuesAreTaken) {
    setenv("TK_NET_ADDRESS", "127.0.0.3", 1);
    setenv("TK_NET_PORT", "40123", 1);
    setenv("TK_NET_BROADCAST", "127.255.255.255", 1);
    const SNetConfig config = ConfigFromEnvironment();
    EXPECT_EQ(config.bindAddress, AddressFromText("127.0.0.3"));
    EXPECT_EQ(config.port, 40123);
    EXPECT_EQ(config.broadcastAddress, AddressFromText("127.255.255.255"));
}

TEST_F(NetConfigFromEnvironment, ValuesThatDoNotReadAreReportedAndIgnored) {
    const SNetConfig defaults;
    for (const char* port : {"", "abc", "0", "65536", "80x", "-5"}) {
        setenv("TK_NET_PORT", port, 1);
        setenv("TK_NET_ADDRESS", "127.0.0", 1);
        testing::internal::CaptureStderr();
        const SNetConfig config = ConfigFromEnvironment();
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(config.port, defaults.port) << port;
        EXPECT_EQ(config.bindAddress, defaults.bindAddress);
        EXPECT_NE(err.find("TK_NET_PORT"), std::string::npos) << err;
        EXPECT_NE(err.find("TK_NET_ADDRESS"), std::string::npos) << err;
    }
}

// A fixed-step run's frame clock stands still between frames and races ahead of the wall in
// between: the peers' silences must still be measured in real seconds.
TEST_F(NetConfigFromEnvironment, TheSocketsKeepRealTimeWhileAFrameClockIsSet) {
    platform::SetFrameClock(1000.0);
    const SNetConfig config = ConfigFromEnvironment();
    ASSERT_TRUE(config.clock);
    const double before = config.clock();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const double after = config.clock();
    platform::ClearFrameClock();
    EXPECT_GE(after - before, 0.025);
}

} // namespace
