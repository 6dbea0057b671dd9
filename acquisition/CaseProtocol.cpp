// Command buffer and frame builders shared by the case-protocol encoders.
#include "acquisition/CaseProtocol.h"

#include "acquisition/CaseFrame.h"

std::uint8_t* CCaseProtocol::GetCommandBuffer() const {
    thread_local std::uint8_t buffer[kCommandBufferSize];
    return buffer;
}

int CCaseProtocol::BuildFramedCommand(std::uint8_t command, std::uint16_t fieldA, std::uint16_t fieldB,
                                      std::uint8_t payloadLength, const std::uint8_t* payload) {
    return WriteFramedCommand(GetCommandBuffer(), kCommandBufferSize, command, fieldA, fieldB, payloadLength,
                              payload);
}

int CCaseProtocol::BuildLongFramedCommand(std::uint16_t payloadLength, const std::uint8_t* payload, int, int,
                                          int) {
    return WriteLongFramedCommand(GetCommandBuffer(), kCommandBufferSize, payloadLength, payload);
}
