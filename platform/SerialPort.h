// Serial ports on termios in place of the Windows COM ports: COM n maps to a
// device path, and the line settings use the Windows codes for parity, stop
// bits and flow control so that callers keep their stored values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct termios;

namespace platform {

// Codes as the Windows device control block numbers them.
enum class SerialParity { Even = 0, Mark = 1, None = 2, Odd = 3, Space = 4 };
enum class SerialStopBits { One = 0, OneAndHalf = 1, Two = 2 };
enum class SerialFlowControl { None = 0, CtsRts = 1, CtsDtr = 2, DsrRts = 3, DsrDtr = 4, XonXoff = 5 };

struct SerialSettings {
    std::uint32_t baudRate = 9600;
    int dataBits = 8;
    SerialParity parity = SerialParity::None;
    SerialStopBits stopBits = SerialStopBits::One;
    SerialFlowControl flowControl = SerialFlowControl::None;
};

// Purge flags, Windows values.
constexpr unsigned kPurgeTxAbort = 0x1;
constexpr unsigned kPurgeRxAbort = 0x2;
constexpr unsigned kPurgeTxClear = 0x4;
constexpr unsigned kPurgeRxClear = 0x8;

// Comm-event bits, Windows values.
constexpr unsigned kEventRxChar = 0x001;
constexpr unsigned kEventRlsd = 0x020; // carrier-detect line changed
constexpr unsigned kEventErr = 0x080;  // line error
constexpr unsigned kEventRing = 0x100;

// Line-error flags, Windows values.
constexpr unsigned kLineErrorRxOver = 0x01;
constexpr unsigned kLineErrorOverrun = 0x02;
constexpr unsigned kLineErrorRxParity = 0x04;
constexpr unsigned kLineErrorFrame = 0x08;
constexpr unsigned kLineErrorBreak = 0x10;

// The device path of COM n: an override set for n, else the user's mapping
// (key "COMn" of section [Ports] in SerialPortMapFile, e.g.
// COM3=/dev/ttyUSB0), else the prefix followed by n - 1 ("/dev/ttyS" by
// default). Empty for n < 1.
std::string SerialDevicePath(int portNumber);
// <user configuration folder>/QV74xx/SerialPorts.ini, read at each use.
std::string SerialPortMapFile();
// The COM numbers 1..maxPort whose device is present: a mapped or
// overridden path that exists, or a default serial device the kernel
// reports as a real port. For the port dialogs.
std::vector<int> ListSerialPorts(int maxPort = 64);
// Points COM n at a path (tests point it at a pseudo-terminal); an empty
// path removes the override.
void SetSerialDevicePath(int portNumber, const std::string& path);
void SetSerialDevicePrefix(const std::string& prefix);

// The termios form of the settings and back. False for a baud rate,
// data-bit count or stop-bit combination the line cannot carry (1.5 stop
// bits need 5 data bits, 2 stop bits need 6 or more, as on Windows).
// Linux has one hardware handshake, RTS/CTS: every hardware flow code maps
// to it, and it reads back as code 1.
bool SerialSettingsToTermios(const SerialSettings& settings, termios& tio);
bool SerialSettingsFromTermios(const termios& tio, SerialSettings& settings);

class SerialPort {
public:
    SerialPort() = default;
    ~SerialPort() { Close(); }
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Closes any open device, opens COM n (or a path) exclusively, raw, and
    // applies the settings; false with the port closed on any failure.
    bool Open(int portNumber, const SerialSettings& settings);
    bool OpenPath(const std::string& path, const SerialSettings& settings);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }
    int Handle() const { return m_fd; }
    int PortNumber() const { return m_portNumber; }

    // Applies the settings; false (settings unchanged) for a baud rate,
    // data-bit count or stop-bit combination the line cannot carry.
    bool Configure(const SerialSettings& settings);
    // The settings the device holds now.
    bool GetSettings(SerialSettings& settings) const;

    // Bytes read (0 when none came within the time; 0 polls), -1 on failure
    // or when the other end hung up.
    int Read(void* buffer, std::size_t length, int timeoutMs);
    // Writes every byte within the time; bytes written, -1 on failure.
    int Write(const void* data, std::size_t length, int timeoutMs = 2000);
    bool Purge(unsigned flags);
    bool SetBreak(bool on);
    // Bytes waiting in the input and output queues.
    bool GetQueueStatus(std::uint32_t& inQueue, std::uint32_t& outQueue) const;
    // Line errors since the last call; 0 where the device does not count
    // them (pseudo-terminals).
    unsigned ClearError();
    // Waits for one of the comm events of the mask; returns the events seen,
    // 0 when none came within the time. Received characters are seen by
    // poll; line-signal changes and line errors where the device reports
    // its modem lines and error counts.
    unsigned WaitEvent(unsigned mask, int timeoutMs);

    int LastError() const { return m_lastError; }

private:
    bool Failed();
    unsigned ModemLines() const;
    // Flags of the error counts that grew since the last look; they are
    // also kept for ClearError.
    unsigned NewLineErrors();

    int m_fd = -1;
    int m_portNumber = 0;
    int m_lastError = 0;
    unsigned m_lastModemLines = 0;
    int m_errorCounts[5] = {}; // overrun of the buffer, overrun, parity, frame, break
    unsigned m_pendingErrors = 0;
};

} // namespace platform
