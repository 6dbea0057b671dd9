// The library's serial classes over pseudo-terminals: failures throw, the
// reader modes deliver or hold, Close is bounded with a silent peer, and
// the line settings reach the device.
#include "SerialTestSupport.h"
#include "libs/serial/ThreadedSerialPort.h"

#include <gtest/gtest.h>

namespace {

using SindleSerialTest = PtyPortTest;

TEST_F(SindleSerialTest, FailuresThrowWithTheirText) {
    CSerialPort port;
    try {
        port.Open(kMissingPort, 9600);
        FAIL() << "opening a missing port must throw";
    } catch (const CSerialException& e) {
        EXPECT_NE(e.m_dwError, 0);
        char text[6];
        EXPECT_TRUE(e.GetErrorMessage(text, sizeof text));
        EXPECT_EQ(std::string(text).size(), 5u); // cut to the buffer
    }
    EXPECT_FALSE(port.IsOpen());
    EXPECT_THROW(port.Purge(0x0F), CSerialException);

    CThreadedSerialPort threaded;
    EXPECT_THROW(threaded.Open(kMissingPort, 2), CSerialException);
    try {
        threaded.Write("x", 1);
        FAIL() << "writing to a closed port must throw";
    } catch (const CSerialException& e) {
        EXPECT_STREQ(e.what(), "m_pPort Is Not Open!!!");
    }
}

// A pseudo-terminal keeps no parity (the kernel clears it): the parity
// codes are checked by the platform's termios tests.
TEST_F(SindleSerialTest, LineSettingsReachTheDevice) {
    struct Case {
        CSerialPort::Parity parity;
        CSerialPort::FlowControl flow;
        platform::SerialFlowControl flowRead;
    };
    const Case cases[] = {
        {CSerialPort::NoParity, CSerialPort::NoFlowControl, platform::SerialFlowControl::None},
        {CSerialPort::EvenParity, CSerialPort::CtsRtsFlowControl, platform::SerialFlowControl::CtsRts},
        {CSerialPort::OddParity, CSerialPort::XonXoffFlowControl, platform::SerialFlowControl::XonXoff},
    };
    for (const Case& c : cases) {
        CSerialPort port;
        ASSERT_EQ(port.Open(kPort, 19200, c.parity, 8, CSerialPort::OneStopBit, c.flow), 1);
        platform::SerialSettings s;
        ASSERT_EQ(port.GetState(s), 1);
        EXPECT_EQ(s.baudRate, 19200u);
        EXPECT_EQ(s.flowControl, c.flowRead);
    }
}

TEST_F(SindleSerialTest, EveryReaderModeRunsAndClosesPromptlyWithASilentPeer) {
    // Modes 2 and 3 deliver what arrives; 0 and 1 read nothing.
    for (int mode = 0; mode < 4; ++mode) {
        ReceivedBytes received;
        CThreadedSerialPort port;
        port.SetReceiveCallback(&ReceivedBytes::OnReceive, &received);
        port.SetEventCallback(&ReceivedBytes::OnEvent, &received);
        ASSERT_EQ(port.Open(kPort, mode, 4800), 1) << mode;
        EXPECT_EQ(port.GetReaderMode(), mode);
        ASSERT_TRUE(m_pty.Write("B1,2E", 5));
        if (mode >= 2) {
            EXPECT_EQ(received.WaitFor(5), "B1,2E") << mode;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const auto start = std::chrono::steady_clock::now();
        port.Close();
        EXPECT_LT(SecondsSince(start), 1.0) << mode;
        EXPECT_FALSE(port.IsOpen());
        if (mode < 2) {
            EXPECT_TRUE(received.text.empty()) << mode;
            char drain[16];
            m_pty.Read(drain, sizeof drain, 0);
        }
    }
}

TEST_F(SindleSerialTest, WritesReachThePeerAndBigBlocksArriveWhole) {
    ReceivedBytes received;
    CThreadedSerialPort port;
    port.SetReceiveCallback(&ReceivedBytes::OnReceive, &received);
    ASSERT_EQ(port.Open(kPort, 2, 115200), 1);
    EXPECT_EQ(port.Write("hello", 5), 5u);
    char got[8] = {};
    EXPECT_EQ(m_pty.ReadExactly(got, 5, 1000), 5u);
    EXPECT_STREQ(got, "hello");
    // More than one read buffer arrives whole and in order.
    std::string block;
    for (int i = 0; i < 1000; ++i)
        block += char('a' + i % 26);
    ASSERT_TRUE(m_pty.Write(block.data(), block.size()));
    EXPECT_EQ(received.WaitFor(block.size()), block);
}

} // namespace
