// The strain-signal generator's serial frames: building the requests and
// replies, byte stuffing, and finding one whole reply in received bytes.
// Shared by the control class and the generator simulator.
#pragma once

#include "libs/serial/SerialPolicy.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace strainsignal {

using Bytes = std::vector<std::uint8_t>;

enum class FrameKind { Presence, Battery, SetValue };

// Mode index 0 to 5 (full, half, quarter bridge; the same plus 3 for a
// negative value) and its protocol byte; -1 for any other index.
SINDLE_API int ModeByte(int modeIndex);
// The mode index of a protocol byte, -1 when it is none of the six.
SINDLE_API int ModeIndexOfByte(int modeByte);
// The largest value a set-value request carries (24 bits).
constexpr int kMaxValue = 0xFFFFFF;

// XOR of frame[first..last], 0-based, inclusive.
SINDLE_API std::uint8_t XorCheck(const Bytes& frame, std::size_t first, std::size_t last);
// Every 0x55 from byte 2 on gets one more 0x55 after it.
SINDLE_API Bytes Stuff(const Bytes& frame);

// Requests as sent (stuffed).
SINDLE_API Bytes PresenceRequest();
SINDLE_API Bytes BatteryRequest();
// Refused (empty) for a mode index outside 0..5 or a value outside 0..kMaxValue.
SINDLE_API Bytes SetValueRequest(int a, int b, int modeIndex, int value);

// Replies as sent (stuffed).
SINDLE_API Bytes PresenceReply(int id);
SINDLE_API Bytes BatteryReply(int state, int level);
// 55 AA 00 00 00 00 01 02 01 r X: the result r (1 done) in byte 9.
SINDLE_API Bytes SetValueReply(int result);

// A whole frame found in a byte stream, unstuffed, with its kind.
struct Frame {
    FrameKind kind = FrameKind::Presence;
    Bytes bytes; // unstuffed
    bool checkOk = false;
};

// The scanner of one direction: bytes go in as they arrive, in chunks of
// any size; Next hands out each whole frame once. Bytes that cannot start a
// known frame (noise) are skipped.
class SINDLE_API FrameScanner {
public:
    enum Direction { Requests, Replies };
    explicit FrameScanner(Direction direction) : m_direction(direction) {}
    void Append(const std::uint8_t* bytes, std::size_t count);
    void Clear() { m_pending.clear(); }
    // True with the next whole frame; false when none is complete yet.
    bool Next(Frame& frame);
    std::size_t Pending() const { return m_pending.size(); }

private:
    // 1 whole frame at the front, 0 need more bytes, -1 not a frame here.
    int TryFrontFrame(Frame& frame, std::size_t& consumed) const;

    Direction m_direction;
    Bytes m_pending;
};

} // namespace strainsignal
