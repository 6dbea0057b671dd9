// Fuzz target: a case link's sample stream in block and in frame form,
// arriving in arbitrary pieces; nothing touches a file.
#include "acquisition/CaseLink.h"
#include "tests/FakeHosts.h"

#include "CaseSimulator.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3)
        return 0;
    static CCaseProtocol3 encoder;
    static FakeCaseLinkHost host;
    // One link for every input: its 128 KB buffers are made once, and each
    // input resets all the state it reads (modules, modes, channels, queues).
    static CCaseLink link(&encoder, &host);
    const int modules = 1 + data[0] % 8;
    const int version = 1 + (data[0] >> 3) % 2;
    const std::vector<std::uint8_t> reply = CCaseSimulator::BuildCaseInfoReply(0, modules, version);
    link.ClearModuleTables();
    link.ParseCaseInfoReply(reply.data(), static_cast<int>(reply.size()));
    link.SetDataMode((data[0] & 0x80) ? 2 : 1);
    link.SetSampleMode(data[1] % 8);
    for (int slot = 0; slot < 8; ++slot)
        link.SetModuleChannel(slot * 16);
    link.SetModuleChannel(data[1]);
    link.PrepareRun();
    const std::size_t piece = 1 + data[2];
    for (std::size_t at = 3; at < size; at += piece) {
        const std::size_t n = std::min(piece, size - at);
        link.PushReceivedBytes(static_cast<int>(n), data + at);
        link.ProcessRawQueue();
        link.ProcessFrameQueue();
    }
    static std::vector<std::uint8_t> out(65536);
    while (link.PopSampleBlock(out.data(), static_cast<int>(out.size())) != 0) {
    }
    CaseSampleBlock latest[8];
    link.GetLatestSample(latest);
    return 0;
}
