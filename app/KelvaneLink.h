// The main program's side of the calibrator link: the calibrator's commands
// and the replies to them. The frame supplies the actions through
// KelvaneLinkHost; the link only checks what arrives and builds what leaves.
#pragma once

#include "model/CaseSampleBlock.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// The calibrator's command codes.
enum KelvaneCommand : std::int32_t {
    KELVANE_START_SAMPLING = 1,
    KELVANE_STOP_RUN = 2,
    KELVANE_NEXT_READING = 3,
    KELVANE_CONTROLLERS = 4,
    KELVANE_APPLY_RECORD = 5,
    KELVANE_ZERO_RUN = 6,
    KELVANE_SELECT_CHANNEL = 7,
    KELVANE_STOP_SAMPLING = 8,
    KELVANE_SET_RECORD = 9,
    KELVANE_CHANNEL_VALUES = 10,
};

constexpr std::size_t kKelvaneCommandHead = 20;
constexpr std::size_t kKelvaneControllerRecordSize = 56;
constexpr int kKelvaneChannelSlots = 16;
// A calibration record: word 0 the case, word 1 the module in it, the rest
// the calibrator's settings.
using KelvaneRecord = std::array<std::int32_t, 9>;
// Words of the record after the case and the module.
enum KelvaneRecordWord : std::size_t {
    KELVANE_WORD_CHAN_TYPE = 2, // 0 strain, 1 voltage
    KELVANE_WORD_BRIDGE_TYPE = 3,
    KELVANE_WORD_MEASURE_RANGE = 4, // full scale
    KELVANE_WORD_BRIDGE_VOLTAGE = 5,
    KELVANE_WORD_LEAD_R = 8, // float
};
// The first channel id of the record's module, or -1 when the case and the
// module name no module of the channel table (checked in 64 bits).
int KelvaneModuleFirstChannel(const KelvaneRecord& record);

class KelvaneLinkHost {
public:
    virtual ~KelvaneLinkHost() = default;
    // Sends one whole packet to the calibrator; nothing when no link exists.
    virtual void SendLinkPacket(const std::vector<std::uint8_t>& packet) = 0;
    // The controller table: 56-byte records.
    virtual std::vector<std::uint8_t> ControllerRecords(std::int32_t& count) = 0;
    // Per entry of the instrument description's full-scale list: the
    // coefficients of the record's 16 channels.
    virtual std::vector<std::array<float, 16>> ChannelInfoValues(const KelvaneRecord& record) = 0;
    // Starts the calibration sampling or zero run; false when it cannot start.
    virtual bool StartCalibrationSampling() = 0;
    virtual bool StartZeroRun() = 0;
    virtual bool IsLinkSamplingRunning() = 0;
    virtual void StopSampling() = 0;
    virtual void SetReadingEvent() = 0;
    virtual void ResetReadingEvent() = 0;
    virtual void SelectChannel(int channel) = 0;
    // Applies a calibration record: the listed channels' settings and the download.
    virtual void ApplyRecord(const KelvaneRecord& record) = 0;
    // Whether the channel id belongs to a found case.
    virtual bool IsKnownChannel(int channel) = 0;
    // The per-channel output command of the transport for the channel. The
    // coefficients written leave the zeros as they are: the calibrator's
    // next balance run takes new ones.
    virtual void SendChannelOutput(int channel, std::int32_t value) = 0;
    // Runs the action on the user-interface thread after the pause, which
    // the user-interface thread does not spend waiting.
    virtual void After(int milliseconds, std::function<void()> action) = 0;
};

class CKelvaneLink {
public:
    explicit CKelvaneLink(KelvaneLinkHost& host) : m_host(host) {}
    CKelvaneLink(const CKelvaneLink&) = delete;
    CKelvaneLink& operator=(const CKelvaneLink&) = delete;

    // One command packet as it arrived (header included).
    void OnCommand(const std::uint8_t* data, std::size_t length);
    // Sends the reply of the code; reply 3 carries the reading block.
    void SendReply(int code);
    // The reading handed back with reply 3.
    CaseSampleBlock& ReplyBlock() { return m_replyBlock; }
    const KelvaneRecord& Record() const { return m_record; }
    int SelectedChannel() const { return m_nSelectedChannel; }
    // How many replies of the code have gone to the link.
    int RepliesSent(int code) const;
    // The reply packet of the code as SendReply would send it.
    std::vector<std::uint8_t> BuildReply(int code);
    static int MinimumLength(int code);

private:
    void SendChannelValues(std::vector<std::pair<int, std::int32_t>> outputs, std::size_t next);

    KelvaneLinkHost& m_host;
    KelvaneRecord m_record{};
    CaseSampleBlock m_replyBlock{};
    int m_nSelectedChannel = -1;
    std::array<int, KELVANE_CHANNEL_VALUES + 1> m_replies{};
};
