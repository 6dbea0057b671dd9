#include "app/KelvaneLink.h"

#include "libs/transfer/LinkPacket.h"
#include "model/ChannelRecords.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

constexpr int kStartPauseMs = 500;
constexpr int kApplyPauseMs = 1000;
constexpr int kChannelPauseMs = 100;

std::int32_t IntAt(const std::uint8_t* data, std::size_t offset) {
    std::int32_t value;
    std::memcpy(&value, data + offset, sizeof value);
    return value;
}

KelvaneRecord RecordAt(const std::uint8_t* data) {
    KelvaneRecord record{};
    std::memcpy(record.data(), data + kKelvaneCommandHead, sizeof(std::int32_t) * record.size());
    return record;
}

} // namespace

int KelvaneModuleFirstChannel(const KelvaneRecord& record) {
    const std::int64_t caseNo = record[0], module = record[1];
    if (caseNo < 0 || module < 0 || module >= 8)
        return -1;
    const std::int64_t first = (caseNo * 8 + module) * kKelvaneChannelSlots;
    return first + kKelvaneChannelSlots <= MAX_CHANNEL_COUNT ? static_cast<int>(first) : -1;
}

int CKelvaneLink::MinimumLength(int code) {
    switch (code) {
    case KELVANE_APPLY_RECORD:
    case KELVANE_SET_RECORD:
        return 56;
    case KELVANE_SELECT_CHANNEL:
        return 24;
    case KELVANE_CHANNEL_VALUES:
        return 184;
    default:
        return code >= KELVANE_START_SAMPLING && code <= KELVANE_CHANNEL_VALUES ? 20 : -1;
    }
}

void CKelvaneLink::OnCommand(const std::uint8_t* data, std::size_t length) {
    if (data == nullptr || length < kKelvaneCommandHead)
        return;
    // The link delivers whole packets only: the code is the header's.
    const int code = IntAt(data, offsetof(LinkPacketHeader, code));
    const int minimum = MinimumLength(code);
    if (minimum < 0 || length < static_cast<std::size_t>(minimum))
        return;
    switch (code) {
    case KELVANE_START_SAMPLING:
        m_host.ResetReadingEvent();
        if (m_host.StartCalibrationSampling())
            m_host.After(kStartPauseMs, [this] { SendReply(KELVANE_START_SAMPLING); });
        break;
    case KELVANE_STOP_RUN: {
        // A running sampling run answers with reply 2 when it ends.
        const bool running = m_host.IsLinkSamplingRunning();
        m_host.StopSampling();
        if (!running)
            SendReply(KELVANE_STOP_RUN);
        break;
    }
    case KELVANE_NEXT_READING:
        m_host.SetReadingEvent();
        break;
    case KELVANE_CONTROLLERS:
        SendReply(0);
        break;
    case KELVANE_APPLY_RECORD:
        m_record = RecordAt(data);
        m_host.ApplyRecord(m_record);
        m_host.After(kApplyPauseMs, [this] { SendReply(KELVANE_APPLY_RECORD); });
        break;
    case KELVANE_ZERO_RUN:
        m_host.ResetReadingEvent();
        if (m_host.StartZeroRun())
            m_host.After(kStartPauseMs, [this] { SendReply(KELVANE_ZERO_RUN); });
        break;
    case KELVANE_SELECT_CHANNEL: {
        const std::int32_t channel = IntAt(data, kKelvaneCommandHead);
        if (channel < 0 || channel >= MAX_CHANNEL_COUNT || !m_host.IsKnownChannel(channel))
            return;
        m_nSelectedChannel = channel;
        m_host.SelectChannel(channel);
        m_host.SetReadingEvent();
        break;
    }
    case KELVANE_STOP_SAMPLING:
        m_host.StopSampling();
        break;
    case KELVANE_SET_RECORD:
        m_record = RecordAt(data);
        SendReply(KELVANE_SET_RECORD);
        break;
    case KELVANE_CHANNEL_VALUES: {
        const KelvaneRecord record = RecordAt(data);
        std::vector<std::pair<int, std::int32_t>> outputs;
        for (int i = 0; i < kKelvaneChannelSlots; ++i) {
            const std::int32_t channel = IntAt(data, 56 + 4 * static_cast<std::size_t>(i));
            if (channel == -1)
                continue;
            // A channel of no found case refuses the whole command.
            if (channel < 0 || channel >= MAX_CHANNEL_COUNT || !m_host.IsKnownChannel(channel))
                return;
            outputs.emplace_back(channel, IntAt(data, 120 + 4 * static_cast<std::size_t>(i)));
        }
        m_record = record;
        SendChannelValues(std::move(outputs), 0);
        break;
    }
    default:
        break;
    }
}

void CKelvaneLink::SendChannelValues(std::vector<std::pair<int, std::int32_t>> outputs, std::size_t next) {
    if (next >= outputs.size()) {
        SendReply(KELVANE_CHANNEL_VALUES);
        return;
    }
    m_host.SendChannelOutput(outputs[next].first, outputs[next].second);
    m_host.After(kChannelPauseMs, [this, outputs = std::move(outputs), next]() mutable {
        SendChannelValues(std::move(outputs), next + 1);
    });
}

std::vector<std::uint8_t> CKelvaneLink::BuildReply(int code) {
    std::vector<std::uint8_t> payload;
    const auto appendInt = [&payload](std::int32_t value) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(&value);
        payload.insert(payload.end(), bytes, bytes + sizeof value);
    };
    switch (code) {
    case 0: {
        std::int32_t count = 0;
        std::vector<std::uint8_t> records = m_host.ControllerRecords(count);
        // Only whole records, and only as many as a packet holds.
        const std::size_t room =
            (kLinkPacketMaxSize - kLinkPacketHeaderSize - 4) / kKelvaneControllerRecordSize;
        std::size_t whole = records.size() / kKelvaneControllerRecordSize;
        if (count < 0)
            count = 0;
        whole = std::min({whole, room, static_cast<std::size_t>(count)});
        appendInt(static_cast<std::int32_t>(whole));
        payload.insert(payload.end(), records.begin(),
                       records.begin() + static_cast<std::ptrdiff_t>(whole * kKelvaneControllerRecordSize));
        break;
    }
    case KELVANE_NEXT_READING: {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(&m_replyBlock);
        payload.assign(bytes, bytes + sizeof m_replyBlock);
        break;
    }
    case KELVANE_SET_RECORD: {
        std::vector<std::array<float, 16>> entries = m_host.ChannelInfoValues(m_record);
        const std::size_t room = (kLinkPacketMaxSize - kLinkPacketHeaderSize - 4) / sizeof(entries[0]);
        if (entries.size() > room)
            entries.resize(room);
        appendInt(static_cast<std::int32_t>(entries.size()));
        for (const auto& entry : entries) {
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(entry.data());
            payload.insert(payload.end(), bytes, bytes + sizeof entry);
        }
        break;
    }
    default:
        break;
    }
    return BuildLinkPacket(code, payload.data(), payload.size());
}

void CKelvaneLink::SendReply(int code) {
    if (code == KELVANE_NEXT_READING || code == KELVANE_SELECT_CHANNEL)
        m_host.ResetReadingEvent();
    m_host.SendLinkPacket(BuildReply(code));
    if (code >= 0 && code < static_cast<int>(m_replies.size()))
        ++m_replies[static_cast<std::size_t>(code)];
}

int CKelvaneLink::RepliesSent(int code) const {
    return code >= 0 && code < static_cast<int>(m_replies.size()) ? m_replies[static_cast<std::size_t>(code)]
                                                                  : 0;
}
