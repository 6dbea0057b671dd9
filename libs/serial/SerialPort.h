// CSerialPort, a thin class over one COM port, and CSerialException, what the
// library's build throws when a port call fails (SerialPolicy.h tells the two
// builds apart). COM n is the device the platform maps it to.
#pragma once

#include "libs/serial/SerialPolicy.h"
#include "platform/SerialPort.h"

#include <cstdint>
#include <exception>
#include <string>

inline namespace SINDLE_SERIAL_BUILD {

class SINDLE_API CSerialException : public std::exception {
public:
    // Error 0 means the last error of the calling thread (errno).
    explicit CSerialException(int error = 0, std::string text = {});
    // The system's text for the code (or the text given), cut to the buffer
    // size with its terminating zero; an empty text and 0 when there is none.
    bool GetErrorMessage(char* buffer, unsigned size, unsigned* helpContext = nullptr) const;
    const char* what() const noexcept override { return m_strText.c_str(); }
    int m_dwError;

private:
    std::string m_strText;
};

[[noreturn]] SINDLE_API void ThrowSerialException(int error = 0, const std::string& text = {});

// The time-outs of the port in milliseconds, as the Windows structure holds
// them. Reads wait ReadTotalTimeoutConstant at most for the first byte (0:
// return what is there) and then ReadIntervalTimeout for each further one;
// writes end after WriteTotalTimeoutConstant (0: 2,000 ms), never unbounded.
struct SerialTimeouts {
    std::uint32_t ReadIntervalTimeout = 0;
    std::uint32_t ReadTotalTimeoutMultiplier = 0;
    std::uint32_t ReadTotalTimeoutConstant = 0;
    std::uint32_t WriteTotalTimeoutMultiplier = 0;
    std::uint32_t WriteTotalTimeoutConstant = 0;
};

class SINDLE_API CSerialPort {
public:
    enum Parity { EvenParity = 0, MarkParity = 1, NoParity = 2, OddParity = 3, SpaceParity = 4 };
    enum StopBits { OneStopBit = 0, OnePointFiveStopBits = 1, TwoStopBits = 2 };
    enum FlowControl {
        NoFlowControl = 0,
        CtsRtsFlowControl = 1,
        CtsDtrFlowControl = 2,
        DsrRtsFlowControl = 3,
        DsrDtrFlowControl = 4,
        XonXoffFlowControl = 5
    };

    CSerialPort() = default;
    virtual ~CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Every call below returns 1 on success. On failure the library's build
    // throws CSerialException; the main program's build returns 0 and keeps
    // the error for GetLastError.
    int Open(int nPort, std::uint32_t dwBaud = 9600, Parity parity = NoParity, std::uint8_t dataBits = 8,
             StopBits stopBits = OneStopBit, FlowControl fc = NoFlowControl, bool bOverlapped = false);
    int Close(); // nothing to do when closed
    bool IsOpen() const { return m_port.IsOpen(); }
    bool IsOverlapped() const { return m_bOverlapped; }
    int GetPortNumber() const { return m_nPort; }
    int GetLastError() const { return m_nLastError; }

    // Reads into buffer what arrives within the read time-outs; with a
    // timeoutMs of 0 or more, what is there or comes within that time, in
    // one read. The count read goes to bytesRead.
    int Read(void* buffer, std::uint32_t count, std::uint32_t& bytesRead, int timeoutMs = -1);
    // Bytes written (fewer when the write time ran out); 0 on failure in the
    // main program's build.
    std::uint32_t Write(const void* buffer, std::uint32_t count);

    int SetBreak();
    int ClearBreak();
    // Line-error flags since the last call and the queue counts.
    int ClearError(std::uint32_t& errors, std::uint32_t& inQueue, std::uint32_t& outQueue);
    // The line settings stand in for the device control block.
    int GetState(platform::SerialSettings& settings);
    int SetState(const platform::SerialSettings& settings);
    int SetMask(std::uint32_t mask);
    int GetMask(std::uint32_t& mask);
    int Purge(std::uint32_t flags);
    int Setup(std::uint32_t inQueue, std::uint32_t outQueue);
    int SetTimeouts(const SerialTimeouts& timeouts);
    int GetTimeouts(SerialTimeouts& timeouts);
    // Waits up to timeoutMs for one of the events of the mask set with
    // SetMask; true with the events seen in mask. Never throws.
    bool WaitEvent(std::uint32_t& mask, int timeoutMs);

private:
    int Fail(int error = 0, const char* text = nullptr);
    int NotOpen();

    platform::SerialPort m_port;
    bool m_bOverlapped = false;
    int m_nPort = 0;
    int m_nLastError = 0;
    std::uint32_t m_dwMask = 0;
    std::uint32_t m_dwInQueue = 4096;
    std::uint32_t m_dwOutQueue = 4096;
    SerialTimeouts m_timeouts;
};

} // namespace SINDLE_SERIAL_BUILD
