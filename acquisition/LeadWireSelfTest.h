// The two diagnostic measurements of the strain channels: the lead-wire
// resistance from three bridge readings, and the channel self-test from two
// test readings. Commands on the user-interface thread, the measurement on a
// worker thread that talks to the frame by sent messages only.
#pragma once

#include "acquisition/SamplingHost.h"
#include "model/CaseSampleBlock.h"
#include "model/ChannelRecords.h"
#include "platform/Message.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

class CLeadWireSelfTest {
public:
    CLeadWireSelfTest(SamplingHost* host, platform::HWND frame);
    ~CLeadWireSelfTest();
    CLeadWireSelfTest(const CLeadWireSelfTest&) = delete;
    CLeadWireSelfTest& operator=(const CLeadWireSelfTest&) = delete;

    // Commands.
    void OnLeadResistanceTest();
    void OnChannelSelfTest();
    bool CanMeasureLeadResistance() const;

    // Worker steps (run on the worker thread; callable directly in tests).
    int MeasureLeadResistance();
    int RunChannelSelfTest();

    // Computations over the readings of the online units.
    void CheckLeadChannelStatus();
    void ComputeLeadResistance3();
    void ReportLeadResistance();
    bool ApplyLeadResistance(const std::vector<int>& channels);
    void WarnLeadResistance();
    void JudgeSelfTest3();
    static double SelfTestNominal(int channel);
    static double SelfTestBridgeFactor(int channel);

    // Readings: D0, D1 and the third set; A0 and A1 (512 blocks each).
    CaseSampleBlock* GetLeadSet(int i) { return m_LeadSets[static_cast<std::size_t>(i)].data(); }
    CaseSampleBlock* GetSelfTestSet(int i) { return m_TestSets[static_cast<std::size_t>(i)].data(); }

    bool IsBusy() const { return m_bWorkerRunning.load(); }
    // Length of one second of the waits (tests shorten it).
    void SetSecondLength(std::uint32_t milliseconds) { m_nSecondMs = milliseconds; }

    std::vector<float> m_R0, m_R1;
    std::vector<std::int32_t> m_LeadStatus;
    std::vector<float> m_a0, m_a1, m_SelfTestValue;
    std::vector<std::int32_t> m_SelfTestState;
    std::atomic<std::int32_t> m_bMeasuring{0};
    std::atomic<std::int32_t> m_bLeadDone{0};
    std::atomic<std::int32_t> m_bSelfTestRunning{0};
    std::string m_strReport; // the last text report

private:
    float Coef(int channel, int level, bool bridge, bool current);
    float TestLevel(int channel);
    // False when the measurement was given up (the object is going away).
    bool Wait(int seconds);
    void Step(int step, const std::string& text, std::uint32_t pauseMs);
    void FinishEarly();
    bool StartWorker(int (CLeadWireSelfTest::*body)());

    SamplingHost* m_pHost;
    platform::HWND m_hFrame;
    std::uint32_t m_nSecondMs = 1000;
    std::vector<std::vector<CaseSampleBlock>> m_LeadSets;
    std::vector<std::vector<CaseSampleBlock>> m_TestSets;
    std::atomic<bool> m_bWorkerRunning{false};
    std::atomic<bool> m_bAbort{false}; // set by the destructor: the worker leaves at its next second
};
