// Whether a run left its simulated cases stopped: each had a stop after its
// last start, streams no more, and sends nothing for a while after.
#pragma once

#include "CaseSimulator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// pumpFor(ms) keeps the test's user-interface thread delivering meanwhile.
inline void ExpectCasesLeftStopped(const std::vector<std::unique_ptr<CCaseSimulator>>& cases,
                                   const std::function<void(std::uint32_t)>& pumpFor) {
    std::vector<std::int64_t> sent;
    for (const auto& simulator : cases)
        sent.push_back(simulator->GetSamplesSent());
    pumpFor(300);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_FALSE(cases[i]->IsStreaming()) << "case " << i;
        EXPECT_EQ(cases[i]->GetSamplesSent(), sent[i]) << "case " << i;
        int lastStart = -1, lastStop = -1, index = 0;
        for (const auto& command : cases[i]->GetCommands()) {
            if (command.size() >= 2 && command[0] == 8 && command[1] == 3)
                lastStart = index;
            if (command.size() >= 2 && command[0] == 11 && command[1] == 1)
                lastStop = index;
            ++index;
        }
        EXPECT_GT(lastStop, lastStart) << "case " << i << ": a stop after the last start";
    }
}
