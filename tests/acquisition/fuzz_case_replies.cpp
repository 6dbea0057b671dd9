// Fuzz target: the case-information, channel-information and lead-wire /
// self-test reply parsers of a case link.
#include "acquisition/CaseLink.h"
#include "tests/FakeHosts.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    static CCaseProtocol3 encoder;
    static FakeCaseLinkHost host;
    // One link for every input (its 128 KB buffers are made once); the
    // run's preparation empties the reply it collects.
    static CCaseLink link(&encoder, &host);
    link.PrepareRun();
    link.ClearModuleTables();
    link.SetCaseNo(static_cast<std::int8_t>(data[0]) % 70);
    const std::uint8_t* reply = data + 1;
    const int length = static_cast<int>(size - 1);
    link.ParseCaseInfoReply(reply, length);
    link.ParseChannelInfoReply(reply, length);
    static std::vector<CaseSampleBlock> first(512), second(512);
    link.ParseTestDataReply(reply, length, 3, first.data(), second.data());
    link.ParseTestDataReply(reply, length, 4, first.data(), second.data());
    link.AppendReply(reply, length, true);
    link.AppendReply(reply, length, true);
    return 0;
}
