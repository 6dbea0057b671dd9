// Frames of the strain-signal generator's protocol.
#include "libs/serial/StrainSignalFrames.h"

namespace strainsignal {

namespace {

constexpr std::uint8_t kMark = 0x55;
constexpr std::uint8_t kStart2 = 0xAA;
constexpr int kModeBytes[6] = {0x00, 0x01, 0x02, 0x10, 0x11, 0x12};

// Appends the check over bytes 3 to the end and stuffs the frame.
Bytes Finish(Bytes frame) {
    frame.push_back(XorCheck(frame, 3, frame.size() - 1));
    return Stuff(frame);
}

Bytes Header() {
    return {kMark, kStart2, 0, 0, 0, 0};
}

struct Layout {
    FrameKind kind;
    std::size_t length; // unstuffed, with the check byte
};

// The kind and length named by the bytes after the header; false when the
// bytes name no frame of the direction. known = how many bytes were needed.
bool LayoutOf(FrameScanner::Direction direction, const Bytes& f, Layout& layout, bool& needMore) {
    needMore = false;
    if (direction == FrameScanner::Replies) {
        if (f.size() < 8) {
            needMore = true;
            return true;
        }
        if (f[6] == 0x01 && f[7] == 0x01)
            layout = {FrameKind::Presence, 10};
        else if (f[6] == 0x04 && f[7] == 0x02)
            layout = {FrameKind::Battery, 11};
        else if (f[6] == 0x01 && f[7] == 0x02)
            layout = {FrameKind::SetValue, 11};
        else
            return false;
        return true;
    }
    if (f.size() < 10) {
        needMore = true;
        return true;
    }
    if (f[6] == 0x00 && f[7] == 0x02 && f[8] == 0x01 && f[9] == 0x01)
        layout = {FrameKind::Presence, 11};
    else if (f[6] == 0x00 && f[7] == 0x02 && f[8] == 0x01 && f[9] == 0x07)
        layout = {FrameKind::Battery, 11};
    else if (f[6] == 0x00 && f[7] == 0x08 && f[8] == 0x03 && f[9] == 0x01)
        layout = {FrameKind::SetValue, 17};
    else
        return false;
    return true;
}

} // namespace

int ModeByte(int modeIndex) {
    return modeIndex >= 0 && modeIndex < 6 ? kModeBytes[modeIndex] : -1;
}

int ModeIndexOfByte(int modeByte) {
    for (int i = 0; i < 6; ++i)
        if (kModeBytes[i] == modeByte)
            return i;
    return -1;
}

std::uint8_t XorCheck(const Bytes& frame, std::size_t first, std::size_t last) {
    std::uint8_t x = 0;
    for (std::size_t i = first; i <= last && i < frame.size(); ++i)
        x ^= frame[i];
    return x;
}

Bytes Stuff(const Bytes& frame) {
    Bytes out;
    out.reserve(frame.size() + 4);
    for (std::size_t i = 0; i < frame.size(); ++i) {
        out.push_back(frame[i]);
        if (i >= 2 && frame[i] == kMark)
            out.push_back(kMark);
    }
    return out;
}

Bytes PresenceRequest() {
    Bytes f = Header();
    f.insert(f.end(), {0x00, 0x02, 0x01, 0x01});
    return Finish(f);
}

Bytes BatteryRequest() {
    Bytes f = Header();
    f.insert(f.end(), {0x00, 0x02, 0x01, 0x07});
    return Finish(f);
}

Bytes SetValueRequest(int a, int b, int modeIndex, int value) {
    const int mode = ModeByte(modeIndex);
    if (mode < 0 || value < 0 || value > kMaxValue)
        return {};
    Bytes f = Header();
    f.insert(f.end(), {0x00, 0x08, 0x03, 0x01, std::uint8_t(a & 0xFF), std::uint8_t(b & 0xFF),
                       std::uint8_t(mode), std::uint8_t((value >> 16) & 0xFF),
                       std::uint8_t((value >> 8) & 0xFF), std::uint8_t(value & 0xFF)});
    return Finish(f);
}

Bytes PresenceReply(int id) {
    Bytes f = Header();
    f.insert(f.end(), {0x01, 0x01, std::uint8_t(id & 0xFF)});
    return Finish(f);
}

Bytes BatteryReply(int state, int level) {
    Bytes f = Header();
    f.insert(f.end(), {0x04, 0x02, std::uint8_t(state & 0xFF), std::uint8_t(level & 0xFF)});
    return Finish(f);
}

Bytes SetValueReply(int result) {
    Bytes f = Header();
    f.insert(f.end(), {0x01, 0x02, 0x01, std::uint8_t(result & 0xFF)});
    return Finish(f);
}

void FrameScanner::Append(const std::uint8_t* bytes, std::size_t count) {
    m_pending.insert(m_pending.end(), bytes, bytes + count);
}

int FrameScanner::TryFrontFrame(Frame& frame, std::size_t& consumed) const {
    const Bytes& in = m_pending;
    if (in.size() < 2)
        return 0;
    if (in[0] != kMark || in[1] != kStart2)
        return -1;
    Bytes f = {kMark, kStart2};
    std::size_t i = 2;
    Layout layout{FrameKind::Presence, 0};
    for (;;) {
        if (layout.length != 0 && f.size() == layout.length)
            break;
        if (i >= in.size())
            return 0;
        std::uint8_t b = in[i++];
        if (b == kMark) {
            if (i >= in.size())
                return 0;
            if (in[i] != kMark)
                return -1; // a lone 0x55 cannot be inside a frame
            ++i;
        }
        f.push_back(b);
        if (f.size() >= 3 && f.size() <= 6 && b != 0)
            return -1; // the four zero bytes of the header
        if (layout.length == 0) {
            bool needMore = false;
            if (!LayoutOf(m_direction, f, layout, needMore))
                return -1;
            if (needMore)
                layout.length = 0;
        }
    }
    frame.kind = layout.kind;
    frame.checkOk = XorCheck(f, 3, f.size() - 2) == f.back();
    frame.bytes = std::move(f);
    consumed = i;
    return 1;
}

bool FrameScanner::Next(Frame& frame) {
    while (!m_pending.empty()) {
        std::size_t consumed = 0;
        const int r = TryFrontFrame(frame, consumed);
        if (r == 1) {
            m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(consumed));
            return true;
        }
        if (r == 0)
            return false;
        // Not a frame here: skip to the next possible start.
        std::size_t next = 1;
        while (next < m_pending.size() && m_pending[next] != kMark)
            ++next;
        m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(next));
    }
    return false;
}

} // namespace strainsignal
