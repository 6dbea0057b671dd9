// The server on its fixed port greets a new client with the 20-byte packet.
#include "RemoteTestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(ServerPortTest, NewClientIsGreetedOnPort2501) {
    platform::SetUiThread();
    CDataForwardServer server;
    ASSERT_EQ(1, server.StartListenThread());
    EXPECT_EQ(2501, server.GetListenPort());
    RemoteTestClient client;
    ASSERT_TRUE(client.Connect(2501));
    std::uint8_t bytes[20] = {};
    ASSERT_TRUE(client.ReadExact(bytes, sizeof bytes));
    const std::uint8_t expected[20] = {0x55, 0xAA, 0xAA, 0x55, 6, 0, 0, 0, 1, 0,
                                       0,    0,    0,    0,    0, 0, 0, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(expected, bytes, sizeof bytes));
}

} // namespace
