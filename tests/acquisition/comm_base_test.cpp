// What the communication object does where the network transport supplies nothing.
#include "acquisition/NetComm.h"

#include "LinkTestHost.h"

#include <gtest/gtest.h>

namespace {

TEST(CommBase, DefaultsOfTheBaseAndOfTheNetworkTransport) {
    LinkTestHost host;
    CCommBase base;
    CNetComm net(&host, 0);
    CaseSampleBlock blocks[512];
    std::uint16_t word = 0;
    for (CCommBase* comm : {&base, static_cast<CCommBase*>(&net)}) {
        EXPECT_EQ(comm->Open(1, 115200), 0);
        EXPECT_EQ(comm->Close(), 0);
        EXPECT_EQ(comm->TriggerMeasurement(), 0);
        EXPECT_EQ(comm->ReadSampleSet(blocks), 0);
        EXPECT_EQ(comm->SingleChannelRead(1, 2, word), 0);
        EXPECT_EQ(comm->SetShortCircuitMode(1), 0);
        EXPECT_EQ(comm->ReservedSlot44(), 0);
    }
    EXPECT_EQ(base.StartAcquire(), 0);
    EXPECT_EQ(net.StartAcquire(), 1);
    EXPECT_EQ(base.ResetDevice(), 0);
    EXPECT_EQ(net.ResetDevice(), 1);
    EXPECT_EQ(base.SetCaseVoltages(0, 0, 0, 0), 0);
    EXPECT_EQ(net.SetCaseVoltages(0, 0, 0, 0), 1) << "accepted, nothing sent";
    EXPECT_FALSE(base.PollSampleData(blocks));
    EXPECT_TRUE(net.PollSampleData(blocks)) << "no links: nothing is missing";
    EXPECT_TRUE(base.GetLinkedCaseIps().empty());
    EXPECT_EQ(net.FindCases(), 0);
}

TEST(CommBase, EncoderOfTheNetworkModelOnly) {
    CCommBase comm;
    comm.CreateProtocol(3);
    ASSERT_NE(comm.GetProtocol(), nullptr);
    EXPECT_EQ(comm.GetProtocol()->GetCommandMode(), 0);
    comm.CreateProtocol(1);
    EXPECT_EQ(comm.GetProtocol(), nullptr);
    comm.CreateProtocol(3);
    comm.DeleteProtocol();
    EXPECT_EQ(comm.GetProtocol(), nullptr);
}

} // namespace
