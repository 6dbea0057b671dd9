// The network module set-up protocol over real multicast, with two simulated
// modules answering from 127.0.0.2 and 127.0.0.3. The build runs this program
// in a private network namespace whose loopback carries the group.
#include "acquisition/NetworkModuleSetup.h"

#include "NetworkModuleSimulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

NetworkModuleOptions LoopbackOptions() {
    NetworkModuleOptions options;
    options.bMulticastLoop = true;
    // Room for simulator threads on a loaded machine.
    options.nReceiveTimeoutMs = 1000;
    return options;
}

class NetworkModuleMulticastTest : public ::testing::Test {
protected:
    void StartModules(NetworkModuleSimOptions a, NetworkModuleSimOptions b) {
        b.localIp = "127.0.0.3";
        b.address = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x60};
        b.values[0] = "192.168.000.011";
        for (auto* options : {&a, &b}) {
            modules.push_back(std::make_unique<CNetworkModuleSimulator>(*options));
            ASSERT_TRUE(modules.back()->Start());
        }
        ASSERT_TRUE(setup.Open(LoopbackOptions()));
    }
    const NetworkModuleDevice& Device(int module) {
        const std::string prefix = module == 0 ? "001A2B3C4D5E" : "001A2B3C4D60";
        const auto& devices = setup.GetDevices();
        const auto it = std::find_if(devices.begin(), devices.end(), [&](const NetworkModuleDevice& d) {
            return d.strText.rfind(prefix, 0) == 0;
        });
        EXPECT_NE(it, devices.end());
        return *it;
    }
    std::vector<std::unique_ptr<CNetworkModuleSimulator>> modules;
    CNetworkModuleSetup setup;
};

TEST_F(NetworkModuleMulticastTest, AScanListsEachModuleOnceAndIgnoresShortReplies) {
    NetworkModuleSimOptions twice;
    twice.scanReplies = 2;
    StartModules(twice, {});
    ASSERT_EQ(setup.Scan(), 2);
    EXPECT_EQ(Device(0).strText, "001A2B3C4D5E4E4D3031");
    EXPECT_EQ(Device(0).from.ip, "127.0.0.2");
    EXPECT_EQ(Device(1).from.ip, "127.0.0.3");

    setup.Close();
    modules.clear();
    NetworkModuleSimOptions shortReply;
    shortReply.scanReplyLength = 5;
    StartModules(shortReply, {});
    ASSERT_EQ(setup.Scan(), 1);
    EXPECT_EQ(setup.GetDevices()[0].from.ip, "127.0.0.3");
}

TEST_F(NetworkModuleMulticastTest, ReadingAndWritingReachOnlyTheAddressedModule) {
    StartModules({}, {});
    ASSERT_EQ(setup.Scan(), 2);
    netmodule::Values values;
    ASSERT_TRUE(setup.ReadValues(Device(1), values));
    EXPECT_EQ(values, (netmodule::Values{"192.168.000.011", "6000", "192.168.000.001", "255.255.255.000",
                                         "192.168.000.100", "5001"}))
        << "the other module's replies do not count";

    const netmodule::Values written = {"10.0.0.7", "6000", "10.0.0.1", "255.0.0.0", "10.0.0.100", "5001"};
    ASSERT_TRUE(setup.WriteValues(Device(1), written));
    EXPECT_EQ(modules[1]->GetFrames(),
              (std::vector<std::string>{"ATIP", "ATPT", "ATGA", "ATSM", "ATDA", "ATDP", "ATSR=1",
                                        "ATIP=010.000.000.007", "ATPT=06000", "ATGA=010.000.000.001",
                                        "ATSM=255.000.000.000", "ATDA=010.000.000.100", "ATDP=05001"}));
    EXPECT_EQ(modules[1]->GetValues()[0], "010.000.000.007") << "the module keeps what was written";
    EXPECT_TRUE(modules[0]->GetFrames().empty());

    // A bad value is refused before anything goes out.
    netmodule::Values bad = written;
    bad[3] = "255.0.0";
    EXPECT_FALSE(setup.WriteValues(Device(1), bad));
    EXPECT_EQ(modules[1]->GetFrames().size(), 13u);

    // A module that answers a query with something that is no address fails the read.
    modules[0]->SetQueryReplyOverride("not an address!");
    EXPECT_FALSE(setup.ReadValues(Device(0), values));
    EXPECT_EQ(modules[0]->GetFrames(), (std::vector<std::string>{"ATIP"})) << "the first failure stops";
}

TEST_F(NetworkModuleMulticastTest, AWithheldAcknowledgementStopsTheWrite) {
    StartModules({}, {});
    ASSERT_EQ(setup.Scan(), 2);
    modules[0]->SetWithholdAcks(true);
    const netmodule::Values written = {"10.0.0.7", "6000", "10.0.0.1", "255.0.0.0", "10.0.0.100", "5001"};
    EXPECT_FALSE(setup.WriteValues(Device(0), written));
    EXPECT_EQ(modules[0]->GetFrames(), (std::vector<std::string>{"ATSR=1"}));
    EXPECT_TRUE(modules[1]->GetFrames().empty()) << "the other module's acknowledgement does not count";
}

TEST_F(NetworkModuleMulticastTest, EndGoesToEveryFoundModule) {
    StartModules({}, {});
    setup.SendEndToAll();
    EXPECT_EQ(modules[0]->CountFrames("END"), 0) << "nothing found, nothing ended";
    ASSERT_EQ(setup.Scan(), 2);
    setup.SendEndToAll();
    EXPECT_EQ(modules[0]->CountFrames("END"), 1);
    EXPECT_EQ(modules[1]->CountFrames("END"), 1);
}

} // namespace
