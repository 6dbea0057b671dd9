// The network transport on the program's own listener port 5001.
#include "acquisition/NetComm.h"

#include "CaseSimulator.h"
#include "DriverTestOwner.h"
#include "LinkTestHost.h"

#include "platform/Time.h"

#include <gtest/gtest.h>

namespace {

struct ListeningOwner : DriverTestOwner {
    int listening = 0;
    platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam,
                                 platform::LPARAM lParam) override {
        if (message == CNetCaseDriver::kListening)
            ++listening;
        return DriverTestOwner::WindowProc(message, wParam, lParam);
    }
};

TEST(NetCommPort, ListensOn5001AndLinksACaseThatConnectsAfterOpen) {
    platform::SetUiThread();
    LinkTestHost host;
    ListeningOwner owner;
    CNetComm comm(&host);
    comm.CreateProtocol(3);
    // Another program on this machine may hold the port for a moment.
    int listening = 0;
    for (int attempt = 0; attempt < 100 && !listening; ++attempt) {
        listening = comm.SetOwner(owner.GetSafeHwnd());
        if (!listening)
            platform::Sleep(100);
    }
    ASSERT_EQ(listening, 1);
    EXPECT_EQ(owner.listening, 1);
    EXPECT_EQ(comm.SetOwner(owner.GetSafeHwnd()), 1) << "a second call keeps the listener";
    EXPECT_EQ(comm.GetDriver().GetListenPort(), 5001);
    EXPECT_EQ(comm.Open(1, 9600), 0) << "the network transport opens nothing";
    EXPECT_EQ(comm.Close(), 0);

    CaseSimulatorOptions options; // port 5001, from 127.0.0.2
    options.modules = 2;
    CCaseSimulator simulator(options);
    simulator.Start();
    ASSERT_TRUE(PumpUntil([&] { return owner.linkCount == 1; }));
    EXPECT_EQ(owner.linkedAddresses.at(0), "127.0.0.2");
    EXPECT_EQ(comm.FindCases(), 2);
    EXPECT_EQ(comm.GetLinkedCaseIps(), std::vector<std::string>{"127.0.0.2"});
}

TEST(NetCommPort, WithoutAnEncoderNothingListens) {
    LinkTestHost host;
    CNetComm comm(&host);
    EXPECT_EQ(comm.SetOwner(0), 0);
    EXPECT_EQ(comm.GetDriver().GetListenPort(), 0);
}

} // namespace
