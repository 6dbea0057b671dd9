// The main frame as the network case driver sees it in tests: a message
// target on the test thread that records what the driver sends.
#pragma once

#include "acquisition/NetCaseDriver.h"
#include "platform/Message.h"
#include "platform/Time.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct DriverTestOwner : platform::MessageTarget {
    struct Delivery {
        platform::UINT message;
        std::vector<std::vector<CaseSampleBlock>> arrays; // 512 arrays of count blocks
    };
    std::mutex mutex; // guards every record below
    std::vector<Delivery> deliveries;
    std::vector<std::string> linkedAddresses;
    int linkCount = 0;
    std::vector<std::vector<DeadLinkEntry>> deadReports;
    int stateChanges = 0;

    platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam,
                                 platform::LPARAM lParam) override {
        std::lock_guard<std::mutex> lock(mutex);
        if (message >= 0x867 && message <= 0x86B) {
            auto* const* arrays = reinterpret_cast<const CaseSampleBlock* const*>(lParam);
            Delivery delivery{message, {}};
            for (int i = 0; i < CNetCaseDriver::kModuleCount; ++i)
                delivery.arrays.emplace_back(arrays[i], arrays[i] + wParam);
            deliveries.push_back(std::move(delivery));
        } else if (message == CNetCaseDriver::kCaseLinked) {
            linkedAddresses.push_back(*reinterpret_cast<const std::string*>(lParam));
        } else if (message == CNetCaseDriver::kLinkCount) {
            linkCount = static_cast<int>(wParam);
        } else if (message == CNetCaseDriver::kDeadLinks) {
            deadReports.push_back(*reinterpret_cast<const std::vector<DeadLinkEntry>*>(wParam));
        } else if (message == CNetCaseDriver::kLinkStatesChanged) {
            ++stateChanges;
        }
        return 0;
    }
    int SetsDelivered() {
        std::lock_guard<std::mutex> lock(mutex);
        int sets = 0;
        for (const auto& d : deliveries)
            sets += static_cast<int>(d.arrays[0].size());
        return sets;
    }
};

// Delivers messages on the test thread until the condition holds or the time is up.
inline bool PumpUntil(const std::function<bool()>& done, std::uint32_t milliseconds = 10000) {
    return platform::PumpMessagesFor(milliseconds, done) >= 0 && done();
}
