// The serial digital-quantity meter reader.
#include "acquisition/DigitalMeterPort.h"

#include "model/CaseSampleBlock.h"
#include "platform/Time.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

// The value of a field: a number in the standard text form, with blanks
// around it; anything else gives the no-value marker.
float FieldValue(const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(begin, &end);
    if (end == begin)
        return kNoValue;
    while (*end == ' ' || *end == '\t' || *end == '\r' || *end == '\n')
        ++end;
    if (*end != '\0' || errno == ERANGE)
        return kNoValue;
    return static_cast<float>(v);
}

} // namespace

CDigitalMeterPort::CDigitalMeterPort() {
    m_frame.reserve(kFrameLimit);
}

CDigitalMeterPort::~CDigitalMeterPort() {
    CloseDigitalPort();
}

void CDigitalMeterPort::SetPortParams(int nPort, int nBaud) {
    m_nPort = nPort;
    m_nBaud = nBaud;
}

void CDigitalMeterPort::SetChannelCount(int count) {
    std::lock_guard<std::mutex> lock(m_valueMutex);
    m_nChannelCount = std::clamp(count, 0, kChannels);
}

int CDigitalMeterPort::OpenDigitalPort() {
    if (m_bOpen)
        return 1;
    CloseDigitalPort();
    m_port.SetReceiveCallback(&CDigitalMeterPort::OnDigitalPortReceive, this);
    if (!m_port.Open(m_nPort, 2, static_cast<std::uint32_t>(m_nBaud), CSerialPort::NoParity, 8,
                     CSerialPort::OneStopBit, CSerialPort::CtsRtsFlowControl))
        return 0;
    m_bStop = false;
    m_worker = std::thread([this] { DigitalPortThreadProc(); });
    m_bOpen = true;
    return 1;
}

int CDigitalMeterPort::CloseDigitalPort() {
    m_port.Close();
    m_bStop = true;
    m_rxEvent.Set();
    if (m_worker.joinable())
        m_worker.join();
    m_bOpen = false;
    return 1;
}

void CDigitalMeterPort::OnDigitalPortReceive(void* user, const std::uint8_t* bytes, std::uint32_t count) {
    auto* self = static_cast<CDigitalMeterPort*>(user);
    {
        std::lock_guard<std::mutex> lock(self->m_rxMutex);
        if (self->m_received.size() + count >= kReceiveLimit)
            return; // the parser is behind: the chunk is dropped
        self->m_received.insert(self->m_received.end(), bytes, bytes + count);
    }
    self->m_rxEvent.Set();
}

void CDigitalMeterPort::DigitalPortThreadProc() {
    std::vector<std::uint8_t> taken;
    while (!m_bStop) {
        if (m_rxEvent.Wait(100) != platform::WAIT_OBJECT_0 || m_bStop)
            continue;
        // Let the rest of a frame arrive before parsing.
        platform::Sleep(50);
        {
            std::lock_guard<std::mutex> lock(m_rxMutex);
            taken.swap(m_received);
        }
        ParseBytes(taken.data(), taken.size());
        taken.clear();
    }
}

void CDigitalMeterPort::ParseBytes(const std::uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const char c = static_cast<char>(bytes[i]);
        if (c == 'B') {
            m_frame.clear();
            m_bInFrame = true;
        } else if (!m_bInFrame) {
            // Bytes before the first 'B', or after an 'E': not part of a frame.
        } else if (c == 'E') {
            ProcessFrame();
            m_frame.clear();
            m_bInFrame = false;
        } else if (m_frame.size() < kFrameLimit) {
            m_frame.push_back(c);
        } else {
            m_frame.clear(); // over-long: dropped up to the next 'B'
            m_bInFrame = false;
        }
    }
}

void CDigitalMeterPort::ProcessFrame() {
    if (m_frame.size() < 3)
        return;
    float parsed[kChannels];
    int n = 0;
    std::string field;
    for (char c : m_frame) {
        if (c == ',') {
            if (n < kChannels)
                parsed[n++] = FieldValue(field);
            field.clear();
        } else {
            field += c;
        }
    }
    if (!field.empty() && n < kChannels)
        parsed[n++] = FieldValue(field);
    const auto now = static_cast<std::int32_t>(std::time(nullptr));
    std::lock_guard<std::mutex> lock(m_valueMutex);
    std::copy(parsed, parsed + n, m_values);
    for (int i = 0; i < m_nChannelCount; ++i) {
        std::vector<DigitalHistoryRecord>& history = m_history[i];
        if (history.size() >= kHistoryLimit)
            history.erase(history.begin(), history.begin() + static_cast<std::ptrdiff_t>(kHistoryLimit / 10));
        history.push_back({now, 0, m_values[i]});
    }
}

int CDigitalMeterPort::ReadDigitalValues(float out[kChannels]) {
    std::lock_guard<std::mutex> lock(m_valueMutex);
    std::copy(m_values, m_values + kChannels, out);
    for (int i = 0; i < m_nChannelCount; ++i)
        m_history[i].clear();
    return 1;
}

std::vector<DigitalHistoryRecord> CDigitalMeterPort::GetHistory(int channel) const {
    std::lock_guard<std::mutex> lock(m_valueMutex);
    if (channel < 0 || channel >= kChannels)
        return {};
    return m_history[channel];
}
