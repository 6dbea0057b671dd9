// Tests of the serial port over real pseudo-terminals.
#include "platform/Profile.h"
#include "platform/PseudoTerminal.h"
#include "platform/SerialPort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <termios.h>

using namespace platform;

namespace {

// COM 7 pointed at a fresh pseudo-terminal for the length of a test.
class SerialTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_pty.Open());
        SetSerialDevicePath(kPort, m_pty.SlavePath());
    }
    void TearDown() override { SetSerialDevicePath(kPort, ""); }

    static constexpr int kPort = 7;
    PseudoTerminal m_pty;
};

SerialSettings Settings(std::uint32_t baud, int dataBits, SerialParity parity, SerialStopBits stop,
                        SerialFlowControl flow = SerialFlowControl::None) {
    SerialSettings s;
    s.baudRate = baud;
    s.dataBits = dataBits;
    s.parity = parity;
    s.stopBits = stop;
    s.flowControl = flow;
    return s;
}

} // namespace

TEST(SerialDevicePath, DefaultPrefixAndOverrides) {
    EXPECT_EQ(SerialDevicePath(1), "/dev/ttyS0");
    EXPECT_EQ(SerialDevicePath(12), "/dev/ttyS11");
    EXPECT_EQ(SerialDevicePath(0), "");
    SetSerialDevicePath(3, "/dev/pts/9");
    EXPECT_EQ(SerialDevicePath(3), "/dev/pts/9");
    SetSerialDevicePath(3, "");
    SetSerialDevicePrefix("/dev/ttyUSB");
    EXPECT_EQ(SerialDevicePath(3), "/dev/ttyUSB2");
    SetSerialDevicePrefix("/dev/ttyS");
}

TEST(SerialTermios, SettingsMapToLineFlags) {
    struct Case {
        SerialSettings settings;
        tcflag_t cflagSet, cflagClear, iflagSet, iflagClear;
    };
    const Case cases[] = {
        {Settings(9600, 8, SerialParity::None, SerialStopBits::One), CS8, PARENB | CSTOPB | CRTSCTS, 0,
         IXON | IXOFF},
        {Settings(4800, 7, SerialParity::Even, SerialStopBits::Two), CS7 | PARENB | CSTOPB, PARODD | CMSPAR,
         INPCK, 0},
        {Settings(4800, 8, SerialParity::Odd, SerialStopBits::One), PARENB | PARODD, CMSPAR, INPCK, 0},
        {Settings(4800, 8, SerialParity::Mark, SerialStopBits::One), PARENB | PARODD | CMSPAR, 0, 0, 0},
        {Settings(4800, 8, SerialParity::Space, SerialStopBits::One), PARENB | CMSPAR, PARODD, 0, 0},
        {Settings(4800, 5, SerialParity::None, SerialStopBits::OneAndHalf), CS5 | CSTOPB, PARENB, 0, 0},
        {Settings(115200, 8, SerialParity::None, SerialStopBits::One, SerialFlowControl::CtsRts), CRTSCTS, 0,
         0, IXON},
        {Settings(115200, 8, SerialParity::None, SerialStopBits::One, SerialFlowControl::DsrDtr), CRTSCTS, 0,
         0, IXON},
        {Settings(115200, 8, SerialParity::None, SerialStopBits::One, SerialFlowControl::XonXoff), 0, CRTSCTS,
         IXON | IXOFF, 0},
    };
    for (const auto& c : cases) {
        termios tio{};
        ASSERT_TRUE(SerialSettingsToTermios(c.settings, tio));
        EXPECT_EQ(tio.c_cflag & c.cflagSet, c.cflagSet) << c.settings.baudRate << " " << c.settings.dataBits;
        EXPECT_EQ(tio.c_cflag & c.cflagClear, 0u) << c.settings.dataBits;
        EXPECT_EQ(tio.c_iflag & c.iflagSet, c.iflagSet);
        EXPECT_EQ(tio.c_iflag & c.iflagClear, 0u);
        EXPECT_EQ(cfgetospeed(&tio), cfgetispeed(&tio));

        SerialSettings back;
        ASSERT_TRUE(SerialSettingsFromTermios(tio, back));
        EXPECT_EQ(back.baudRate, c.settings.baudRate);
        EXPECT_EQ(back.dataBits, c.settings.dataBits);
        EXPECT_EQ(back.parity, c.settings.parity);
        EXPECT_EQ(back.stopBits, c.settings.stopBits);
        if (c.settings.flowControl == SerialFlowControl::XonXoff) {
            EXPECT_EQ(tio.c_cc[VSTART], 0x11);
            EXPECT_EQ(tio.c_cc[VSTOP], 0x13);
        }
    }
}

TEST(SerialTermios, LinesTheUartCannotCarryAreRefused) {
    const SerialSettings bad[] = {
        Settings(12345, 8, SerialParity::None, SerialStopBits::One),
        Settings(9600, 9, SerialParity::None, SerialStopBits::One),
        Settings(9600, 4, SerialParity::None, SerialStopBits::One),
        Settings(9600, 8, SerialParity::None, SerialStopBits::OneAndHalf),
        Settings(9600, 5, SerialParity::None, SerialStopBits::Two),
    };
    for (const auto& s : bad) {
        termios tio{};
        EXPECT_FALSE(SerialSettingsToTermios(s, tio)) << s.baudRate << " " << s.dataBits;
    }
}

TEST_F(SerialTest, BytesPassBothWays) {
    SerialPort port;
    ASSERT_TRUE(port.Open(kPort, Settings(4800, 8, SerialParity::None, SerialStopBits::One)))
        << port.LastError();
    EXPECT_EQ(port.PortNumber(), kPort);

    // Every byte value passes unchanged (raw mode: no CR/LF mapping, no echo).
    std::string all;
    for (int i = 0; i < 256; ++i)
        all += static_cast<char>(i);
    ASSERT_EQ(port.Write(all.data(), all.size()), 256);
    std::string got(256, '\0');
    ASSERT_EQ(m_pty.ReadExactly(got.data(), got.size(), 2000), 256u);
    EXPECT_EQ(got, all);

    char buf[300] = {};
    EXPECT_EQ(port.Read(buf, sizeof buf, 0), 0);
    ASSERT_TRUE(m_pty.Write("\x55\xAA\r\n", 4));
    std::string in;
    while (in.size() < 4) {
        const int n = port.Read(buf, sizeof buf, 2000);
        ASSERT_GT(n, 0);
        in.append(buf, static_cast<std::size_t>(n));
    }
    EXPECT_EQ(in, "\x55\xAA\r\n");
}

TEST_F(SerialTest, BaudSettingsAreAppliedToTheDevice) {
    SerialPort port;
    ASSERT_TRUE(port.Open(kPort, Settings(4800, 8, SerialParity::None, SerialStopBits::One)));
    SerialSettings now;
    ASSERT_TRUE(port.GetSettings(now));
    EXPECT_EQ(now.baudRate, 4800u);

    ASSERT_TRUE(port.Configure(
        Settings(115200, 8, SerialParity::None, SerialStopBits::Two, SerialFlowControl::XonXoff)));
    // Seen through a second handle on the same device.
    termios tio{};
    ASSERT_EQ(::tcgetattr(port.Handle(), &tio), 0);
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B115200));
    ASSERT_TRUE(port.GetSettings(now));
    EXPECT_EQ(now.baudRate, 115200u);
    EXPECT_EQ(now.flowControl, SerialFlowControl::XonXoff);

    // A refused setting leaves the line as it was.
    EXPECT_FALSE(port.Configure(Settings(12345, 8, SerialParity::None, SerialStopBits::One)));
    ASSERT_TRUE(port.GetSettings(now));
    EXPECT_EQ(now.baudRate, 115200u);
}

TEST_F(SerialTest, ReceivedCharactersRaiseTheEventAndPurgeDropsThem) {
    SerialPort port;
    ASSERT_TRUE(port.Open(kPort, SerialSettings{}));
    EXPECT_EQ(port.WaitEvent(kEventRxChar | kEventRlsd, 20), 0u);
    ASSERT_TRUE(m_pty.Write("abc", 3));
    EXPECT_EQ(port.WaitEvent(0x1A1, 2000) & kEventRxChar, kEventRxChar);
    std::uint32_t in = 0, out = 0;
    ASSERT_TRUE(port.GetQueueStatus(in, out));
    EXPECT_EQ(in, 3u);

    EXPECT_EQ(port.ClearError(), 0u); // a pseudo-terminal counts no line errors
    ASSERT_TRUE(port.Purge(kPurgeRxAbort | kPurgeRxClear | kPurgeTxAbort | kPurgeTxClear));
    char buf[8];
    EXPECT_EQ(port.Read(buf, sizeof buf, 0), 0);
}

TEST_F(SerialTest, MissingOrClosedPortFails) {
    SerialPort port;
    SetSerialDevicePath(kPort + 1, "/dev/qv-no-such-tty");
    EXPECT_FALSE(port.Open(kPort + 1, SerialSettings{}));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_NE(port.LastError(), 0);
    SetSerialDevicePath(kPort + 1, "");
    EXPECT_FALSE(port.Open(0, SerialSettings{}));

    // A setting the line cannot carry leaves the port closed.
    EXPECT_FALSE(port.Open(kPort, Settings(12345, 8, SerialParity::None, SerialStopBits::One)));
    EXPECT_FALSE(port.IsOpen());

    char buf[4] = {};
    EXPECT_EQ(port.Read(buf, sizeof buf, 0), -1);
    EXPECT_EQ(port.Write(buf, sizeof buf), -1);
    EXPECT_FALSE(port.Purge(kPurgeRxClear));
    EXPECT_EQ(port.WaitEvent(0x1A1, 0), 0u);
}

TEST_F(SerialTest, PeerHangUpEndsReads) {
    SerialPort port;
    ASSERT_TRUE(port.Open(kPort, SerialSettings{}));
    m_pty.Close();
    char buf[4];
    EXPECT_EQ(port.Read(buf, sizeof buf, 1000), -1);
}

// The user's mapping file points COM n at any device, and the listing shows
// the mapped ports that are present.
TEST(SerialDevicePath, UserMappingFileAndListing) {
    char pattern[] = "/tmp/qv-serialmap-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::string root = pattern;
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string keep = saved ? saved : "";
    ::setenv("XDG_CONFIG_HOME", root.c_str(), 1);
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Open());
    std::filesystem::create_directories(root + "/QV74xx");
    ASSERT_TRUE(WritePrivateProfileString("Ports", "COM3", pty.SlavePath(), SerialPortMapFile()));
    ASSERT_TRUE(WritePrivateProfileString("Ports", "COM4", root + "/absent", SerialPortMapFile()));
    EXPECT_EQ(SerialPortMapFile(), root + "/QV74xx/SerialPorts.ini");
    EXPECT_EQ(SerialDevicePath(3), pty.SlavePath());
    EXPECT_EQ(SerialDevicePath(5), "/dev/ttyS4");
    SetSerialDevicePath(3, "/dev/pts/999"); // an override still comes first
    EXPECT_EQ(SerialDevicePath(3), "/dev/pts/999");
    SetSerialDevicePath(3, "");
    const std::vector<int> ports = ListSerialPorts(8);
    EXPECT_NE(std::find(ports.begin(), ports.end(), 3), ports.end());
    EXPECT_EQ(std::find(ports.begin(), ports.end(), 4), ports.end());
    SerialPort port;
    EXPECT_TRUE(port.Open(3, SerialSettings{}));
    port.Close();
    if (saved)
        ::setenv("XDG_CONFIG_HOME", keep.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
    std::filesystem::remove_all(root);
}
