// CSerialPort and CSerialException on the platform's termios port.
#include "libs/serial/SerialPort.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

inline namespace SINDLE_SERIAL_BUILD {

CSerialException::CSerialException(int error, std::string text)
    : m_dwError(error != 0 ? error : errno), m_strText(std::move(text)) {
    if (m_strText.empty() && m_dwError != 0)
        m_strText = std::strerror(m_dwError);
}

bool CSerialException::GetErrorMessage(char* buffer, unsigned size, unsigned* helpContext) const {
    if (helpContext)
        *helpContext = 0;
    if (buffer == nullptr || size == 0)
        return false;
    buffer[0] = '\0';
    if (m_strText.empty())
        return false;
    const std::size_t n = std::min<std::size_t>(m_strText.size(), size - 1);
    std::memcpy(buffer, m_strText.data(), n);
    buffer[n] = '\0';
    return true;
}

void ThrowSerialException(int error, const std::string& text) {
    throw CSerialException(error, text);
}

CSerialPort::~CSerialPort() {
    m_port.Close();
}

int CSerialPort::Fail(int error, const char* text) {
    m_nLastError = error != 0 ? error : (m_port.LastError() != 0 ? m_port.LastError() : EIO);
    if constexpr (kSerialThrows)
        ThrowSerialException(m_nLastError, text ? text : "");
    return 0;
}

int CSerialPort::NotOpen() {
    return Fail(EBADF);
}

int CSerialPort::Open(int nPort, std::uint32_t dwBaud, Parity parity, std::uint8_t dataBits,
                      StopBits stopBits, FlowControl fc, bool bOverlapped) {
    Close();
    platform::SerialSettings settings;
    settings.baudRate = dwBaud;
    settings.dataBits = dataBits;
    settings.parity = static_cast<platform::SerialParity>(parity);
    settings.stopBits = static_cast<platform::SerialStopBits>(stopBits);
    settings.flowControl = static_cast<platform::SerialFlowControl>(fc);
    if (parity < EvenParity || parity > SpaceParity || stopBits < OneStopBit || stopBits > TwoStopBits ||
        fc < NoFlowControl || fc > XonXoffFlowControl)
        return Fail(EINVAL);
    if (!m_port.Open(nPort, settings))
        return Fail(m_port.LastError() != 0 ? m_port.LastError() : ENOENT);
    m_bOverlapped = bOverlapped;
    m_nPort = nPort;
    return 1;
}

int CSerialPort::Close() {
    m_port.Close();
    m_nPort = 0;
    return 1;
}

int CSerialPort::Read(void* buffer, std::uint32_t count, std::uint32_t& bytesRead, int timeoutMs) {
    bytesRead = 0;
    if (!IsOpen())
        return NotOpen();
    if (count == 0)
        return 1;
    char* out = static_cast<char*>(buffer);
    if (timeoutMs >= 0) {
        const int n = m_port.Read(out, count, timeoutMs);
        if (n < 0)
            return Fail();
        bytesRead = static_cast<std::uint32_t>(n);
        return 1;
    }
    int n = m_port.Read(out, count, static_cast<int>(m_timeouts.ReadTotalTimeoutConstant));
    while (n > 0) {
        bytesRead += static_cast<std::uint32_t>(n);
        if (bytesRead == count || m_timeouts.ReadIntervalTimeout == 0)
            return 1;
        n = m_port.Read(out + bytesRead, count - bytesRead, static_cast<int>(m_timeouts.ReadIntervalTimeout));
    }
    return n < 0 && bytesRead == 0 ? Fail() : 1;
}

std::uint32_t CSerialPort::Write(const void* buffer, std::uint32_t count) {
    if (!IsOpen())
        return static_cast<std::uint32_t>(NotOpen());
    const std::uint32_t limit =
        m_timeouts.WriteTotalTimeoutConstant + m_timeouts.WriteTotalTimeoutMultiplier * count;
    const int n = m_port.Write(buffer, count,
                               limit != 0 ? static_cast<int>(std::min<std::uint32_t>(limit, 60000)) : 2000);
    if (n < 0)
        return static_cast<std::uint32_t>(Fail());
    return static_cast<std::uint32_t>(n);
}

int CSerialPort::SetBreak() {
    if (!IsOpen())
        return NotOpen();
    return m_port.SetBreak(true) ? 1 : Fail();
}

int CSerialPort::ClearBreak() {
    if (!IsOpen())
        return NotOpen();
    return m_port.SetBreak(false) ? 1 : Fail();
}

int CSerialPort::ClearError(std::uint32_t& errors, std::uint32_t& inQueue, std::uint32_t& outQueue) {
    errors = inQueue = outQueue = 0;
    if (!IsOpen())
        return NotOpen();
    errors = m_port.ClearError();
    return m_port.GetQueueStatus(inQueue, outQueue) ? 1 : Fail();
}

int CSerialPort::GetState(platform::SerialSettings& settings) {
    if (!IsOpen())
        return NotOpen();
    return m_port.GetSettings(settings) ? 1 : Fail();
}

int CSerialPort::SetState(const platform::SerialSettings& settings) {
    if (!IsOpen())
        return NotOpen();
    return m_port.Configure(settings) ? 1 : Fail();
}

int CSerialPort::SetMask(std::uint32_t mask) {
    if (!IsOpen())
        return NotOpen();
    m_dwMask = mask;
    return 1;
}

int CSerialPort::GetMask(std::uint32_t& mask) {
    if (!IsOpen())
        return NotOpen();
    mask = m_dwMask;
    return 1;
}

int CSerialPort::Purge(std::uint32_t flags) {
    if (!IsOpen())
        return NotOpen();
    return m_port.Purge(flags) ? 1 : Fail();
}

int CSerialPort::Setup(std::uint32_t inQueue, std::uint32_t outQueue) {
    if (!IsOpen())
        return NotOpen();
    // The kernel sizes its own queues; the values are kept for the record.
    m_dwInQueue = inQueue;
    m_dwOutQueue = outQueue;
    return 1;
}

int CSerialPort::SetTimeouts(const SerialTimeouts& timeouts) {
    if (!IsOpen())
        return NotOpen();
    m_timeouts = timeouts;
    return 1;
}

int CSerialPort::GetTimeouts(SerialTimeouts& timeouts) {
    if (!IsOpen())
        return NotOpen();
    timeouts = m_timeouts;
    return 1;
}

bool CSerialPort::WaitEvent(std::uint32_t& mask, int timeoutMs) {
    mask = 0;
    if (!IsOpen())
        return false;
    mask = m_port.WaitEvent(m_dwMask, timeoutMs);
    return mask != 0;
}

} // namespace SINDLE_SERIAL_BUILD
