// The threaded serial port and its reader thread.
#include "libs/serial/ThreadedSerialPort.h"

#include "platform/MessageBox.h"

#include <cerrno>
#include <chrono>
#include <system_error>
#include <vector>

inline namespace SINDLE_SERIAL_BUILD {

namespace {
constexpr int kRoundMs = 25; // the pause between the reader's rounds
}

CSerialReader::~CSerialReader() {
    End();
}

bool CSerialReader::Start() {
    try {
        m_thread = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        platform::MessageBox("CreateThread failed.", "ok");
        return false;
    }
    return true;
}

void CSerialReader::End() {
    if (m_thread.joinable())
        m_thread.join();
}

void CSerialReader::Run() {
    // A throwing build must not let a port failure end the process: any
    // failure ends the loop, as a failed wait does.
    try {
        switch (m_owner.m_nReaderMode) {
        case 0:
            RunHoldBreak();
            break;
        case 1:
            RunEvents();
            break;
        case 3:
            RunReads(true);
            break;
        default:
            RunReads(false);
        }
    } catch (const std::exception&) {
    }
    try {
        if (CSerialPort* port = m_owner.GetPort(); port && port->IsOpen())
            port->Purge(platform::kPurgeRxAbort | platform::kPurgeRxClear);
    } catch (const std::exception&) {
    }
    m_bFinished = true;
}

void CSerialReader::RunHoldBreak() {
    CSerialPort& port = *m_owner.m_pPort;
    port.SetMask(kReaderLineEvents);
    // A line that cannot carry a break (a pseudo-terminal) still waits.
    try {
        port.SetBreak();
    } catch (const std::exception&) {
    }
    m_owner.m_stopEvent.Wait();
    port.ClearBreak();
}

void CSerialReader::RunEvents() {
    CSerialPort& port = *m_owner.m_pPort;
    port.SetMask(kReaderLineEvents);
    while (!m_owner.m_stopEvent.IsSet()) {
        std::uint32_t events = 0;
        if (port.WaitEvent(events, kRoundMs))
            DeliverEvent(events);
    }
}

void CSerialReader::RunReads(bool onCharEvents) {
    CSerialPort& port = *m_owner.m_pPort;
    const std::uint32_t armed = onCharEvents ? kReaderCharLineEvents : kReaderLineEvents;
    port.SetMask(armed);
    while (!m_owner.m_stopEvent.IsSet()) {
        // The wait always watches received characters; mode 3 reads only on
        // them, mode 2 reads each round whatever came.
        port.SetMask(armed | platform::kEventRxChar);
        std::uint32_t events = 0;
        port.WaitEvent(events, kRoundMs);
        port.SetMask(armed);
        if ((events & platform::kEventRxChar) || !onCharEvents) {
            if (!ReadAndDeliver())
                return;
        }
        const std::uint32_t lineEvents = events & armed & ~platform::kEventRxChar;
        if (lineEvents != 0)
            DeliverEvent(lineEvents);
    }
}

bool CSerialReader::ReadAndDeliver() {
    CSerialPort& port = *m_owner.m_pPort;
    // Reads are re-issued as long as they fill at once.
    for (;;) {
        std::uint32_t got = 0;
        if (!port.Read(m_buffer, sizeof m_buffer, got, 0))
            return false;
        if (got == 0)
            return true;
        if (m_owner.m_pfnReceive) {
            const std::vector<std::uint8_t> block(m_buffer, m_buffer + got);
            m_owner.m_pfnReceive(m_owner.m_pReceiveUser, block.data(), got);
        }
        if (got < sizeof m_buffer)
            return true;
    }
}

void CSerialReader::DeliverEvent(std::uint32_t events) {
    std::uint32_t errors = 0, in = 0, out = 0;
    m_owner.m_pPort->ClearError(errors, in, out);
    if (m_owner.m_pfnEvent)
        m_owner.m_pfnEvent(m_owner.m_pEventUser, events, errors, in, out);
}

CThreadedSerialPort::~CThreadedSerialPort() {
    Close();
}

int CThreadedSerialPort::Open(int nPort, int readerMode, std::uint32_t dwBaud, CSerialPort::Parity parity,
                              std::uint8_t dataBits, CSerialPort::StopBits stopBits,
                              CSerialPort::FlowControl fc) {
    Close();
    if (readerMode < 0 || readerMode > 3)
        readerMode = 2;
    m_bOverlapped = readerMode != 0;
    auto port = std::make_unique<CSerialPort>();
    if (!port->Open(nPort, dwBaud, parity, dataBits, stopBits, fc, m_bOverlapped))
        return 0;
    SerialTimeouts timeouts;
    port->GetTimeouts(timeouts);
    timeouts.ReadIntervalTimeout = 100;
    if (!port->Setup(4096, 4096) || !port->Purge(0x0F) || !port->SetTimeouts(timeouts))
        return 0;
    m_nPort = nPort;
    m_nReaderMode = readerMode;
    m_stopEvent.Reset();
    m_pPort = std::move(port);
    m_pReader = std::make_unique<CSerialReader>(*this);
    if (!m_pReader->Start()) {
        m_pReader.reset();
        m_pPort.reset();
        if constexpr (kSerialThrows)
            ThrowSerialException(EAGAIN);
        return 0;
    }
    return 1;
}

void CThreadedSerialPort::Close() {
    if (!m_pPort)
        return;
    m_stopEvent.Set();
    if (m_pReader)
        m_pReader->End();
    m_pReader.reset();
    m_pPort->Close();
    m_pPort.reset();
}

std::uint32_t CThreadedSerialPort::Write(const void* bytes, std::uint32_t count) {
    if (!m_pPort) {
        if constexpr (kSerialThrows)
            ThrowSerialException(EBADF, "m_pPort Is Not Open!!!");
        return 0;
    }
    return m_pPort->Write(bytes, count);
}

void CThreadedSerialPort::SetReceiveCallback(SerialReceiveCallback callback, void* user) {
    m_pfnReceive = callback;
    m_pReceiveUser = user;
}

void CThreadedSerialPort::SetEventCallback(SerialEventCallback callback, void* user) {
    m_pfnEvent = callback;
    m_pEventUser = user;
}

} // namespace SINDLE_SERIAL_BUILD
