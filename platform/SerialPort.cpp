// termios implementation of the serial port and the COM-number mapping.
#include "platform/SerialPort.h"

#include "platform/Files.h"
#include "platform/Profile.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <linux/serial.h>
#include <map>
#include <mutex>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace platform {

namespace {

struct DeviceMap {
    std::mutex mutex; // guards prefix and overrides
    std::string prefix = "/dev/ttyS";
    std::map<int, std::string> overrides;
};

DeviceMap& Devices() {
    static DeviceMap map;
    return map;
}

struct BaudEntry {
    std::uint32_t rate;
    speed_t speed;
};

constexpr BaudEntry kBaudRates[] = {
    {50, B50},         {75, B75},         {110, B110},        {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},        {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},      {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400},  {460800, B460800}, {500000, B500000},
    {576000, B576000}, {921600, B921600}, {1000000, B1000000}};

bool SpeedOfRate(std::uint32_t rate, speed_t& speed) {
    for (const auto& e : kBaudRates)
        if (e.rate == rate) {
            speed = e.speed;
            return true;
        }
    return false;
}

std::uint32_t RateOfSpeed(speed_t speed) {
    for (const auto& e : kBaudRates)
        if (e.speed == speed)
            return e.rate;
    return 0;
}

tcflag_t SizeFlag(int dataBits) {
    switch (dataBits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

tcflag_t ParityFlags(SerialParity parity) {
    switch (parity) {
    case SerialParity::Even:
        return PARENB;
    case SerialParity::Odd:
        return PARENB | PARODD;
    case SerialParity::Mark:
        return PARENB | CMSPAR | PARODD;
    case SerialParity::Space:
        return PARENB | CMSPAR;
    default:
        return 0;
    }
}

bool StopBitsFit(SerialStopBits stop, int dataBits) {
    switch (stop) {
    case SerialStopBits::One:
        return true;
    case SerialStopBits::OneAndHalf:
        return dataBits == 5;
    case SerialStopBits::Two:
        return dataBits > 5;
    }
    return false;
}

int RemainingMs(std::chrono::steady_clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// 1 ready, 0 time-out, -1 error; EINTR retried.
int PollOne(int fd, short events, int timeoutMs, short* revents = nullptr) {
    pollfd p{fd, events, 0};
    for (;;) {
        const int r = ::poll(&p, 1, timeoutMs);
        if (r < 0 && errno == EINTR)
            continue;
        if (revents)
            *revents = p.revents;
        return r < 0 ? -1 : (r > 0 ? 1 : 0);
    }
}

} // namespace

std::string SerialDevicePath(int portNumber) {
    if (portNumber < 1)
        return {};
    DeviceMap& map = Devices();
    std::lock_guard<std::mutex> lock(map.mutex);
    const auto it = map.overrides.find(portNumber);
    if (it != map.overrides.end())
        return it->second;
    const std::string mapped =
        GetPrivateProfileString("Ports", "COM" + std::to_string(portNumber), "", SerialPortMapFile());
    if (!mapped.empty())
        return mapped;
    return map.prefix + std::to_string(portNumber - 1);
}

std::string SerialPortMapFile() {
    return JoinPath(JoinPath(UserConfigFolder(), "QV74xx"), "SerialPorts.ini");
}

std::vector<int> ListSerialPorts(int maxPort) {
    std::vector<int> ports;
    std::string prefix;
    {
        DeviceMap& map = Devices();
        std::lock_guard<std::mutex> lock(map.mutex);
        prefix = map.prefix;
    }
    for (int n = 1; n <= maxPort; ++n) {
        const std::string path = SerialDevicePath(n);
        if (::access(path.c_str(), F_OK) != 0)
            continue;
        if (path == prefix + std::to_string(n - 1) && path.rfind("/dev/", 0) == 0) {
            // A default device node exists for every possible UART: list it
            // only when the kernel found a port behind it (type not 0).
            const std::string type = "/sys/class/tty/" + FileNameOf(path) + "/type";
            char text[16] = {};
            const int fd = ::open(type.c_str(), O_RDONLY | O_CLOEXEC);
            const ssize_t got = fd >= 0 ? ::read(fd, text, sizeof text - 1) : -1;
            if (fd >= 0)
                ::close(fd);
            if (got > 0 && std::atoi(text) == 0)
                continue;
        }
        ports.push_back(n);
    }
    return ports;
}

void SetSerialDevicePath(int portNumber, const std::string& path) {
    DeviceMap& map = Devices();
    std::lock_guard<std::mutex> lock(map.mutex);
    if (path.empty())
        map.overrides.erase(portNumber);
    else
        map.overrides[portNumber] = path;
}

void SetSerialDevicePrefix(const std::string& prefix) {
    DeviceMap& map = Devices();
    std::lock_guard<std::mutex> lock(map.mutex);
    map.prefix = prefix;
}

bool SerialSettingsToTermios(const SerialSettings& s, termios& tio) {
    speed_t speed = 0;
    if (!SpeedOfRate(s.baudRate, speed) || s.dataBits < 5 || s.dataBits > 8 ||
        !StopBitsFit(s.stopBits, s.dataBits))
        return false;
    cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    tio.c_cflag |= CLOCAL | CREAD | SizeFlag(s.dataBits) | ParityFlags(s.parity);
    // The UART sends 1.5 stop bits when asked for two with 5 data bits.
    if (s.stopBits != SerialStopBits::One)
        tio.c_cflag |= CSTOPB;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
    if (s.parity != SerialParity::None)
        tio.c_iflag |= INPCK;
    if (s.flowControl == SerialFlowControl::XonXoff) {
        tio.c_iflag |= IXON | IXOFF;
        tio.c_cc[VSTART] = 0x11;
        tio.c_cc[VSTOP] = 0x13;
    } else if (s.flowControl != SerialFlowControl::None) {
        tio.c_cflag |= CRTSCTS;
    }
    // Reads return what is there; the waits are done with poll.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    return true;
}

bool SerialSettingsFromTermios(const termios& tio, SerialSettings& s) {
    const std::uint32_t rate = RateOfSpeed(cfgetospeed(&tio));
    if (rate == 0)
        return false;
    SerialSettings out;
    out.baudRate = rate;
    switch (tio.c_cflag & CSIZE) {
    case CS5:
        out.dataBits = 5;
        break;
    case CS6:
        out.dataBits = 6;
        break;
    case CS7:
        out.dataBits = 7;
        break;
    default:
        out.dataBits = 8;
    }
    const tcflag_t parity = tio.c_cflag & (PARENB | PARODD | CMSPAR);
    out.parity = SerialParity::None;
    for (SerialParity p : {SerialParity::Even, SerialParity::Odd, SerialParity::Mark, SerialParity::Space})
        if (parity == ParityFlags(p))
            out.parity = p;
    if (tio.c_cflag & CSTOPB)
        out.stopBits = out.dataBits == 5 ? SerialStopBits::OneAndHalf : SerialStopBits::Two;
    if (tio.c_iflag & IXON)
        out.flowControl = SerialFlowControl::XonXoff;
    else if (tio.c_cflag & CRTSCTS)
        out.flowControl = SerialFlowControl::CtsRts;
    s = out;
    return true;
}

bool SerialPort::Open(int portNumber, const SerialSettings& settings) {
    const std::string path = SerialDevicePath(portNumber);
    if (path.empty()) {
        Close();
        m_lastError = ENOENT;
        return false;
    }
    if (!OpenPath(path, settings))
        return false;
    m_portNumber = portNumber;
    return true;
}

bool SerialPort::OpenPath(const std::string& path, const SerialSettings& settings) {
    Close();
    m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        return Failed();
    // Not shared with other programs, as the Windows port was.
    ::ioctl(m_fd, TIOCEXCL);
    if (!Configure(settings)) {
        const int error = m_lastError;
        Close();
        m_lastError = error;
        return false;
    }
    m_lastModemLines = ModemLines();
    NewLineErrors();
    m_pendingErrors = 0;
    return true;
}

void SerialPort::Close() {
    // The exclusive mark stays on the device while anyone else holds it
    // open (a pseudo-terminal's own side does): take it off, or the port
    // could not be opened again.
    if (m_fd >= 0) {
        ::ioctl(m_fd, TIOCNXCL);
        ::close(m_fd);
    }
    m_fd = -1;
    m_portNumber = 0;
}

bool SerialPort::Configure(const SerialSettings& settings) {
    termios tio{};
    if (m_fd < 0 || ::tcgetattr(m_fd, &tio) != 0)
        return Failed();
    if (!SerialSettingsToTermios(settings, tio)) {
        m_lastError = EINVAL;
        return false;
    }
    return ::tcsetattr(m_fd, TCSANOW, &tio) == 0 || Failed();
}

bool SerialPort::GetSettings(SerialSettings& settings) const {
    termios tio{};
    return m_fd >= 0 && ::tcgetattr(m_fd, &tio) == 0 && SerialSettingsFromTermios(tio, settings);
}

int SerialPort::Read(void* buffer, std::size_t length, int timeoutMs) {
    if (m_fd < 0) {
        m_lastError = EBADF;
        return -1;
    }
    short revents = 0;
    const int ready = PollOne(m_fd, POLLIN, timeoutMs, &revents);
    if (ready < 0) {
        Failed();
        return -1;
    }
    if (ready == 0)
        return 0;
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, length);
        if (n == 0 && (revents & (POLLHUP | POLLERR))) {
            m_lastError = EIO; // the other end is gone
            return -1;
        }
        if (n >= 0)
            return static_cast<int>(n);
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        if (errno != EINTR) {
            Failed();
            return -1;
        }
    }
}

int SerialPort::Write(const void* data, std::size_t length, int timeoutMs) {
    if (m_fd < 0) {
        m_lastError = EBADF;
        return -1;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    const char* p = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::write(m_fd, p + done, length - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            Failed();
            return -1;
        }
        if (PollOne(m_fd, POLLOUT, RemainingMs(deadline)) != 1)
            break; // time is up: report what went out
    }
    return static_cast<int>(done);
}

bool SerialPort::Purge(unsigned flags) {
    if (m_fd < 0)
        return false;
    const bool tx = flags & (kPurgeTxAbort | kPurgeTxClear);
    const bool rx = flags & (kPurgeRxAbort | kPurgeRxClear);
    if (!tx && !rx)
        return true;
    const int which = tx && rx ? TCIOFLUSH : (tx ? TCOFLUSH : TCIFLUSH);
    return ::tcflush(m_fd, which) == 0 || Failed();
}

bool SerialPort::SetBreak(bool on) {
    return m_fd >= 0 && (::ioctl(m_fd, on ? TIOCSBRK : TIOCCBRK) == 0 || Failed());
}

bool SerialPort::GetQueueStatus(std::uint32_t& inQueue, std::uint32_t& outQueue) const {
    int in = 0, out = 0;
    if (m_fd < 0 || ::ioctl(m_fd, FIONREAD, &in) != 0 || ::ioctl(m_fd, TIOCOUTQ, &out) != 0)
        return false;
    inQueue = static_cast<std::uint32_t>(in);
    outQueue = static_cast<std::uint32_t>(out);
    return true;
}

unsigned SerialPort::WaitEvent(unsigned mask, int timeoutMs) {
    if (m_fd < 0)
        return 0;
    // Modem lines cannot be waited for with poll: look at them every 10 ms.
    const bool watchLines = (mask & (kEventRlsd | kEventRing | kEventErr)) != 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const int left = RemainingMs(deadline);
        short revents = 0;
        const short events = (mask & kEventRxChar) ? POLLIN : 0;
        const int r = PollOne(m_fd, events, watchLines && left > 10 ? 10 : left, &revents);
        unsigned seen = 0;
        if (r > 0 && (revents & POLLIN))
            seen |= kEventRxChar;
        if (r > 0 && (revents & (POLLERR | POLLHUP)))
            seen |= kEventErr;
        if (watchLines) {
            const unsigned lines = ModemLines();
            if ((lines ^ m_lastModemLines) & TIOCM_CD)
                seen |= kEventRlsd;
            if ((lines & ~m_lastModemLines) & TIOCM_RI)
                seen |= kEventRing;
            m_lastModemLines = lines;
            if (NewLineErrors() != 0)
                seen |= kEventErr;
        }
        seen &= mask;
        if (seen != 0 || r < 0 || left == 0)
            return seen;
        if (r > 0) // a hang-up nobody asked about: do not spin on it
            ::usleep(static_cast<useconds_t>(std::min(left, 10)) * 1000);
    }
}

unsigned SerialPort::ClearError() {
    NewLineErrors();
    const unsigned errors = m_pendingErrors;
    m_pendingErrors = 0;
    return errors;
}

unsigned SerialPort::NewLineErrors() {
    serial_icounter_struct ic{};
    if (m_fd < 0 || ::ioctl(m_fd, TIOCGICOUNT, &ic) != 0)
        return 0;
    const int counts[5] = {ic.buf_overrun, ic.overrun, ic.parity, ic.frame, ic.brk};
    const unsigned flags[5] = {kLineErrorRxOver, kLineErrorOverrun, kLineErrorRxParity, kLineErrorFrame,
                               kLineErrorBreak};
    unsigned grown = 0;
    for (int i = 0; i < 5; ++i) {
        if (counts[i] != m_errorCounts[i])
            grown |= flags[i];
        m_errorCounts[i] = counts[i];
    }
    m_pendingErrors |= grown;
    return grown;
}

bool SerialPort::Failed() {
    m_lastError = errno;
    return false;
}

unsigned SerialPort::ModemLines() const {
    int lines = 0;
    // Pseudo-terminals have no modem lines: they read as all clear.
    if (m_fd < 0 || ::ioctl(m_fd, TIOCMGET, &lines) != 0)
        return 0;
    return static_cast<unsigned>(lines);
}

} // namespace platform
