// The main program's build of the same serial classes: nothing is thrown,
// failures return 0, and the reader delivers as in the library.
#include "SerialTestSupport.h"
#include "libs/serial/ThreadedSerialPort.h"

#include <gtest/gtest.h>

namespace {

using QvSerialTest = PtyPortTest;

static_assert(!kSerialThrows, "the main program's build returns 0");

TEST_F(QvSerialTest, FailuresReturnZero) {
    CSerialPort port;
    EXPECT_EQ(port.Open(kMissingPort, 9600), 0);
    EXPECT_NE(port.GetLastError(), 0);
    EXPECT_EQ(port.Purge(0x0F), 0);
    CThreadedSerialPort threaded;
    EXPECT_EQ(threaded.Open(kMissingPort, 2), 0);
    EXPECT_FALSE(threaded.IsOpen());
    EXPECT_EQ(threaded.Write("x", 1), 0u);
}

TEST_F(QvSerialTest, ReaderDeliversAndCloses) {
    ReceivedBytes received;
    CThreadedSerialPort port;
    port.SetReceiveCallback(&ReceivedBytes::OnReceive, &received);
    ASSERT_EQ(port.Open(kPort, 2, 4800, CSerialPort::NoParity, 8, CSerialPort::OneStopBit,
                        CSerialPort::CtsRtsFlowControl),
              1);
    ASSERT_TRUE(m_pty.Write("B1.5E", 5));
    EXPECT_EQ(received.WaitFor(5), "B1.5E");
    const auto start = std::chrono::steady_clock::now();
    port.Close();
    EXPECT_LT(SecondsSince(start), 1.0);
}

} // namespace
