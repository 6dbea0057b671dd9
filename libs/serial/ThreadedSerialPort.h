// CThreadedSerialPort: a CSerialPort with a reader thread that hands the
// received bytes and the line events to callbacks. CSerialReader is that
// thread. Four reader modes: 0 holds a break on the line and only waits to
// be stopped, 1 reports line events, 2 reads and reports line events (what
// every caller uses), 3 reads on received-character events.
#pragma once

#include "libs/serial/SerialPort.h"
#include "platform/Sync.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

inline namespace SINDLE_SERIAL_BUILD {

// (user value, bytes, count): the bytes live only for the call.
using SerialReceiveCallback = void (*)(void* user, const std::uint8_t* bytes, std::uint32_t count);
// (user value, event mask, line-error flags, bytes waiting in, bytes waiting out).
using SerialEventCallback = void (*)(void* user, std::uint32_t events, std::uint32_t errors,
                                     std::uint32_t inQueue, std::uint32_t outQueue);

// Comm-event masks the reader arms.
constexpr std::uint32_t kReaderLineEvents = 0x1A0;     // line-signal detect, line error, ring
constexpr std::uint32_t kReaderCharLineEvents = 0x1A1; // the same and received characters

class CThreadedSerialPort;

class SINDLE_API CSerialReader {
public:
    explicit CSerialReader(CThreadedSerialPort& owner) : m_owner(owner) {}
    ~CSerialReader();
    CSerialReader(const CSerialReader&) = delete;
    CSerialReader& operator=(const CSerialReader&) = delete;

    // Starts the thread; false (after the "CreateThread failed." box) when
    // no thread could be made.
    bool Start();
    // Joins the thread; it sees the owner's stop event within one 25 ms round.
    void End();
    bool IsFinished() const { return m_bFinished.load(); }

private:
    void Run();
    void RunHoldBreak();
    void RunEvents();
    void RunReads(bool onCharEvents);
    // Reads what is waiting and delivers it; false when the port failed.
    bool ReadAndDeliver();
    void DeliverEvent(std::uint32_t events);

    CThreadedSerialPort& m_owner;
    std::thread m_thread;
    std::atomic<bool> m_bFinished{false};
    std::uint8_t m_buffer[kSerialReadBufferSize] = {};
};

class SINDLE_API CThreadedSerialPort {
public:
    CThreadedSerialPort() = default;
    ~CThreadedSerialPort();
    CThreadedSerialPort(const CThreadedSerialPort&) = delete;
    CThreadedSerialPort& operator=(const CThreadedSerialPort&) = delete;

    // Opens COM nPort (overlapped unless the reader mode is 0), sets 4,096-byte
    // queues, purges everything, a 100 ms read interval, and starts the
    // reader. 1 on success; on failure the library's build throws and the
    // main program's returns 0 with the port closed.
    int Open(int nPort, int readerMode, std::uint32_t dwBaud = 9600,
             CSerialPort::Parity parity = CSerialPort::NoParity, std::uint8_t dataBits = 8,
             CSerialPort::StopBits stopBits = CSerialPort::OneStopBit,
             CSerialPort::FlowControl fc = CSerialPort::NoFlowControl);
    // Stops and joins the reader, then closes the port. Nothing when closed.
    void Close();
    bool IsOpen() const { return m_pPort != nullptr; }

    // Bytes written, within the port's write time limit. On a closed port
    // the library's build throws "m_pPort Is Not Open!!!", the main
    // program's returns 0.
    std::uint32_t Write(const void* bytes, std::uint32_t count);

    // Set before Open: the reader reads them without a lock.
    void SetReceiveCallback(SerialReceiveCallback callback, void* user);
    void SetEventCallback(SerialEventCallback callback, void* user);

    CSerialPort* GetPort() { return m_pPort.get(); }
    platform::Event& GetStopEvent() { return m_stopEvent; }
    int GetReaderMode() const { return m_nReaderMode; }
    int GetPortNumber() const { return m_nPort; }

private:
    friend class CSerialReader;

    std::unique_ptr<CSerialPort> m_pPort;
    std::unique_ptr<CSerialReader> m_pReader;
    platform::Event m_stopEvent{true, false}; // manual reset: set once to stop the reader
    bool m_bOverlapped = false;
    int m_nReaderMode = 2;
    int m_nPort = 0;
    SerialReceiveCallback m_pfnReceive = nullptr;
    void* m_pReceiveUser = nullptr;
    SerialEventCallback m_pfnEvent = nullptr;
    void* m_pEventUser = nullptr;
};

} // namespace SINDLE_SERIAL_BUILD
