// Simulated cases over loopback against the network transport, with the
// frame's side of the case search recorded: message boxes, status texts,
// parameter downloads and packets to remote clients.
#pragma once

#include "acquisition/CaseConnections.h"
#include "acquisition/CaseProgramHost.h"
#include "acquisition/CaseSearch.h"
#include "acquisition/ChanInfoWrapper.h"
#include "acquisition/DriverTestOwner.h"
#include "acquisition/FakeChannelSource.h"
#include "acquisition/LinkTestHost.h"
#include "acquisition/NetComm.h"
#include "model/CaseTables.h"
#include "model/ChannelDefaults.h"
#include "model/RunFlags.h"
#include "platform/MessageBox.h"

#include "CaseSimulator.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

struct SimulatedCase {
    const char* address;
    int mapId;
    int modules;
};

// Hands the channel information to the program's library, and records it.
struct SearchLinkHost : LinkTestHost {
    CaseProgramHost program{""};
    void SetCurrentInfoCase(int caseNo) override { program.SetCurrentInfoCase(caseNo); }
    void ParseChannelInfo(int channel, const std::uint8_t* packet) override {
        program.ParseChannelInfo(channel, packet);
        LinkTestHost::ParseChannelInfo(channel, packet);
    }
};

struct RecordingSearchHost : FakeCaseSearchHost {
    CCommBase* comm = nullptr;
    int projectState = 0;
    int casesFound = -1;
    bool remote = false;
    bool forwarding = false;
    int closedProjects = 0;
    int mutexReleases = 0;
    std::vector<std::string> statusTexts;
    std::vector<std::vector<int>> downloads;
    std::vector<std::pair<int, std::vector<std::uint8_t>>> packets;

    CCommBase* GetComm() override { return comm; }
    int GetProjectState() override { return projectState; }
    void CloseProject() override {
        ++closedProjects;
        projectState = 0;
    }
    void SetProjectState(int state) override { projectState = state; }
    void SetStatusText(const std::string& text) override { statusTexts.push_back(text); }
    void SetCasesFound(int found) override { casesFound = found; }
    int DownloadChannelParams(const std::vector<int>& channels) override {
        downloads.push_back(channels);
        return FakeCaseSearchHost::DownloadChannelParams(channels);
    }
    bool IsRemoteRequest() override { return remote; }
    void SetRemoteRequest(bool value) override { remote = value; }
    bool IsForwardingOn() override { return forwarding; }
    void BroadcastPacket(int type, const std::vector<std::uint8_t>& payload) override {
        packets.emplace_back(type, payload);
    }
    void ReleaseCaseOpMutex() override { ++mutexReleases; }
    void Sleep(std::uint32_t) override {}
};

// The frame's window as the driver sees it: link events reach the connections.
struct ShellTestOwner : DriverTestOwner {
    CCaseConnections* connections = nullptr;
    platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam,
                                 platform::LPARAM lParam) override {
        if (connections && message == CNetCaseDriver::kCaseLinked)
            connections->OnCaseLinkConnected(*reinterpret_cast<const std::string*>(lParam));
        if (connections && message == CNetCaseDriver::kLinkCount)
            connections->OnCaseLinkCount(static_cast<int>(wParam));
        return DriverTestOwner::WindowProc(message, wParam, lParam);
    }
};

class ShellSearchTest : public ::testing::Test {
protected:
    ScratchFolder scratch;
    FakeChannelSource source;
    SearchLinkHost linkHost;
    ShellTestOwner owner;
    RecordingSearchHost host;
    CCaseSearch search{&host};
    std::unique_ptr<CNetComm> comm;
    std::vector<std::unique_ptr<CCaseSimulator>> simulators;
    platform::MessageBoxRecorder boxes;

    void SetUp() override {
        platform::SetUiThread();
        ResetCaseTables();
        ResetChannelRecords();
        g_bCaseNumberConflict = 0;
        linkHost.programFolder = scratch.Path();
        g_ChanInfo.SetParamFileName(linkHost.programFolder + "/chaninfo.ini");
        comm = std::make_unique<CNetComm>(&linkHost, 0);
        comm->CreateProtocol(3, &source);
        ASSERT_EQ(comm->SetOwner(owner.GetSafeHwnd()), 1);
        host.comm = comm.get();
    }
    void TearDown() override {
        simulators.clear();
        comm.reset();
        ResetCaseTables();
    }

    void WriteMap(const std::vector<SimulatedCase>& cases) {
        std::ofstream map(linkHost.programFolder + "/MapCfg.ini");
        for (const auto& c : cases)
            map << "[" << c.address << "]\r\nMapID=" << c.mapId << "\r\n";
    }
    void StartCase(const SimulatedCase& c) {
        CaseSimulatorOptions options;
        options.port = comm->GetDriver().GetListenPort();
        options.localIp = c.address;
        options.caseNo = c.mapId;
        options.modules = c.modules;
        simulators.push_back(std::make_unique<CCaseSimulator>(options));
        simulators.back()->Start();
    }
    void Connect(const std::vector<SimulatedCase>& cases) {
        WriteMap(cases);
        for (const auto& c : cases)
            StartCase(c);
        ASSERT_TRUE(
            PumpUntil([&] { return comm->GetDriver().GetLinkCount() == static_cast<int>(cases.size()); }));
    }
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const auto& record : boxes.Records())
            texts.push_back(record.text);
        return texts;
    }
};

// Two cases: case 1 with two modules, case 2 with three.
inline const std::vector<SimulatedCase> kTwoCases = {{"127.0.0.2", 0, 2}, {"127.0.0.3", 1, 3}};
