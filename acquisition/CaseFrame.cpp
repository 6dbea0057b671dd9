// Building and searching the framed commands of the network cases.
#include "acquisition/CaseFrame.h"

#include <cstring>

std::uint8_t ComputeXorCheck(const std::uint8_t* bytes, std::uint8_t count) {
    if (count == 0)
        return 0;
    std::uint8_t check = bytes[0];
    for (int i = 1; i < count; ++i)
        check ^= bytes[i];
    return check;
}

namespace {

// The check covers (n + 6) mod 256 bytes from offset 2, so a long payload is
// only partly covered; the cases compute it the same way.
void AppendCheck(std::uint8_t* frame, int payloadLength) {
    const auto covered = static_cast<std::uint8_t>((payloadLength + 6) & 0xFF);
    frame[8 + payloadLength] = ComputeXorCheck(frame + 2, covered);
}

} // namespace

int WriteFramedCommand(std::uint8_t* out, std::size_t capacity, std::uint8_t command, std::uint16_t fieldA,
                       std::uint16_t fieldB, std::uint8_t payloadLength, const std::uint8_t* payload) {
    const int length = payloadLength + kCaseFrameOverhead;
    if (out == nullptr || static_cast<std::size_t>(length) > capacity || (payloadLength > 0 && !payload))
        return 0;
    out[0] = 0x55;
    out[1] = 0xAA;
    out[2] = static_cast<std::uint8_t>(fieldA >> 8);
    out[3] = static_cast<std::uint8_t>(fieldA & 0xFF);
    out[4] = static_cast<std::uint8_t>(fieldB >> 8);
    out[5] = static_cast<std::uint8_t>(fieldB & 0xFF);
    out[6] = command;
    out[7] = payloadLength;
    if (payloadLength > 0)
        std::memcpy(out + 8, payload, payloadLength);
    AppendCheck(out, payloadLength);
    return length;
}

int WriteLongFramedCommand(std::uint8_t* out, std::size_t capacity, std::uint16_t payloadLength,
                           const std::uint8_t* payload) {
    const int length = payloadLength + kCaseFrameOverhead;
    if (out == nullptr || static_cast<std::size_t>(length) > capacity || (payloadLength > 0 && !payload))
        return 0;
    out[0] = 0x55;
    out[1] = 0xAA;
    out[2] = out[3] = out[4] = 0;
    out[5] = static_cast<std::uint8_t>(payloadLength >> 8);
    out[6] = 0;
    out[7] = static_cast<std::uint8_t>(payloadLength & 0xFF);
    if (payloadLength > 0)
        std::memcpy(out + 8, payload, payloadLength);
    AppendCheck(out, payloadLength);
    return length;
}

int LeadingFramesLength(const std::uint8_t* buffer, int size) {
    int length = 0;
    while (buffer != nullptr && size - length >= kCaseFrameOverhead && buffer[length] == 0x55 &&
           buffer[length + 1] == 0xAA) {
        const int frame = buffer[length + 5] * 256 + buffer[length + 7] + kCaseFrameOverhead;
        if (frame > size - length)
            break;
        length += frame;
    }
    return length;
}

namespace {

bool IsDataHeader(const std::uint8_t* b, int p) {
    return b[p] == 0x55 && b[p + 1] == 0xAA && b[p + 8] == 7 && b[p + 9] == 1;
}

// First header position in [from, size - 9), -1 when none.
int NextDataHeader(const std::uint8_t* buffer, int size, int from) {
    for (int p = from; p < size - 9; ++p) {
        if (IsDataHeader(buffer, p))
            return p;
    }
    return -1;
}

} // namespace

int FindDataFrame(const std::uint8_t* buffer, int size, int& start, int& end) {
    if (buffer == nullptr || size <= 9)
        return 0;
    const int p = NextDataHeader(buffer, size, start < 0 ? 0 : start);
    if (p < 0)
        return 0;
    const int q = NextDataHeader(buffer, size, p + 1);
    if (q < 0)
        return 0;
    start = p;
    end = q;
    return 1;
}
