// CDigitalMeterPort: reads the digital-quantity channels from one measuring
// instrument on a serial port when the digital-interface library is not
// there. The instrument sends text frames "B v1,v2,...E"; a worker thread
// parses them, keeps the latest value of each of the 8 channels and a
// time-stamped history per configured channel, and the sampling loops read
// the latest values.
#pragma once

#include "libs/serial/ThreadedSerialPort.h"
#include "platform/Sync.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

// One history record: arrival time (seconds since 1970), a zero word, the value.
#pragma pack(push, 1)
struct DigitalHistoryRecord {
    std::int32_t nTime = 0;
    std::int32_t nZero = 0;
    float fValue = 0.0f;
};
#pragma pack(pop)
static_assert(sizeof(DigitalHistoryRecord) == 12, "a digital history record is 12 bytes");

class CDigitalMeterPort {
public:
    static constexpr int kChannels = 8;
    static constexpr std::size_t kReceiveLimit = 4096;  // bytes waiting for the parser
    static constexpr std::size_t kFrameLimit = 512;     // a longer frame is dropped
    static constexpr std::size_t kHistoryLimit = 36000; // records a channel, oldest dropped

    CDigitalMeterPort();
    ~CDigitalMeterPort();
    CDigitalMeterPort(const CDigitalMeterPort&) = delete;
    CDigitalMeterPort& operator=(const CDigitalMeterPort&) = delete;

    void SetPortParams(int nPort, int nBaud);
    int GetPort() const { return m_nPort; }
    int GetBaud() const { return m_nBaud; }
    // The configured digital channel count (0 to 8): the channels that keep a history.
    void SetChannelCount(int count);

    // 1 at once when open; otherwise opens the port (reader mode 2, no
    // parity, 8 data bits, one stop bit, RTS/CTS) and starts the worker.
    // 0 when the port cannot be opened.
    int OpenDigitalPort();
    // Closes the port and ends the worker; 1.
    int CloseDigitalPort();
    int Close() { return CloseDigitalPort(); }
    bool IsOpen() const { return m_bOpen.load(); }

    // Copies the 8 latest values out, then empties the configured
    // channels' histories; 1.
    int ReadDigitalValues(float out[kChannels]);
    std::vector<DigitalHistoryRecord> GetHistory(int channel) const;

    // The port's receive callback (reader thread).
    static void OnDigitalPortReceive(void* user, const std::uint8_t* bytes, std::uint32_t count);
    // Parses received bytes as the worker does (tests feed it directly).
    void ParseBytes(const std::uint8_t* bytes, std::size_t count);

private:
    void DigitalPortThreadProc();
    void ProcessFrame();

    CThreadedSerialPort m_port;
    int m_nPort = 2;
    int m_nBaud = 4800;
    std::thread m_worker;
    std::atomic<bool> m_bStop{false};
    std::atomic<bool> m_bOpen{false};

    // Worker thread only.
    std::vector<char> m_frame; // the frame being collected
    bool m_bInFrame = false;   // a 'B' has been seen and no 'E' yet

    std::mutex m_rxMutex; // guards m_received, the bytes waiting for the worker
    std::vector<std::uint8_t> m_received;
    platform::Event m_rxEvent{false, false}; // auto reset: bytes arrived

    mutable std::mutex m_valueMutex; // guards the latest values, the histories and the channel count
    float m_values[kChannels] = {};
    std::vector<DigitalHistoryRecord> m_history[kChannels];
    int m_nChannelCount = 0;
};
