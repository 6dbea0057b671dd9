// The stand-in for the outside digital-interface library: up to 8
// simulated digital sensors with time-stamped values, and a load-control
// system that tests and demos order to send commands. It logs every call
// with its arguments and time (to QV_DIGITAL_LOG when that names a file).
// Built once more without GetDigitalChanBatchData, as a library that lacks
// a function. Demos order commands through the file QV_DIGITAL_COMMANDS
// names: lines "code sample", read every 100 ms while the sensor service runs.
#include "tools/DigitalInterfaceSim.h"
#include "acquisition/DigitalInterfaceApi.h"
#include "acquisition/DigitalParamFile.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#define DIGITAL_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct SimState {
    std::mutex mutex; // guards every member below
    std::map<std::string, int> calls;
    std::vector<std::pair<std::uint32_t, std::int64_t>> actions;
    std::chrono::steady_clock::time_point loaded = std::chrono::steady_clock::now();
    platform::HWND window = 0;
    platform::UINT message = 0;
    float frequency = 10.0f;
    double origin = 0.0;
    bool originSet = false; // a test set the origin; else the first batch of a run sets it
    std::int64_t next = 0;  // the next sample the batch function hands out
    int sensors = 0;
    bool runChannelResult = true;
    bool newChannels = false;
    std::string paramPath;
    std::thread commandReader;
    std::atomic<bool> readerStop{false};
};

SimState& State() {
    static SimState state;
    return state;
}

std::int64_t SinceLoadMs(SimState& s) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - s.loaded)
        .count();
}

// Counts the call and logs it; the caller holds the state's lock.
void LogCall(SimState& s, const char* function, const char* format = "", ...) {
    ++s.calls[function];
    const char* path = std::getenv("QV_DIGITAL_LOG");
    if (!path || !*path)
        return;
    char args[256] = {};
    va_list list;
    va_start(list, format);
    std::vsnprintf(args, sizeof args, format, list);
    va_end(list);
    if (std::FILE* f = std::fopen(path, "a")) {
        std::fprintf(f, "%lld %s(%s)\n", static_cast<long long>(SinceLoadMs(s)), function, args);
        std::fclose(f);
    }
}

// Stamps are counted in whole nanoseconds from the origin (kept to the
// microsecond), so that a sample on a hundredth of a second is stamped on
// it, not a rounding error below it.
void StampOf(const SimState& s, std::int64_t k, std::uint32_t& time1, std::uint32_t& time2) {
    const double whole = std::floor(s.origin);
    const auto originNanos = static_cast<std::int64_t>(std::llround((s.origin - whole) * 1e6)) * 1000;
    const double frequency = s.frequency > 0 ? s.frequency : 1.0;
    const std::int64_t nanos = originNanos + std::llround(static_cast<double>(k) * 1e9 / frequency);
    time1 = static_cast<std::uint32_t>(static_cast<std::int64_t>(whole) + nanos / 1000000000);
    time2 = static_cast<std::uint32_t>(nanos % 1000000000);
}

float ValueOf(int sensor, std::int64_t k) {
    return static_cast<float>((sensor + 1) * 10) + static_cast<float>(k % 1000) * 0.25f;
}

void ReadCommandFile() {
    SimState& s = State();
    while (!s.readerStop) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const char* path = std::getenv("QV_DIGITAL_COMMANDS");
        if (!path || !*path)
            continue;
        std::FILE* f = std::fopen(path, "r");
        if (!f)
            continue;
        std::vector<std::pair<int, long long>> orders;
        int code = 0;
        long long sample = 0;
        while (std::fscanf(f, "%d %lld", &code, &sample) == 2)
            orders.push_back({code, sample});
        std::fclose(f);
        if (orders.empty())
            continue;
        if (std::FILE* empty = std::fopen(path, "w"))
            std::fclose(empty);
        for (const auto& [c, k] : orders) {
            std::uint32_t w1 = 0, w2 = 0;
            DigitalSimStamp(k, &w1, &w2);
            DigitalSimOrderCommand(c, w1, w2);
        }
    }
}

void StopCommandReader(SimState& s) {
    s.readerStop = true;
    if (s.commandReader.joinable())
        s.commandReader.join();
}

struct ReaderStopper {
    ~ReaderStopper() { StopCommandReader(State()); }
} g_readerStopper;

} // namespace

DIGITAL_EXPORT bool LoadDigitalChannel() {
    std::lock_guard<std::mutex> lock(State().mutex);
    LogCall(State(), "LoadDigitalChannel");
    // Whether the channel tool "made new settings" (it leaves digital.pam
    // beside the program): a test says so.
    return State().newChannels;
}

DIGITAL_EXPORT void SetDigitalParam(const char* path) {
    SimState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    LogCall(s, "SetDigitalParam", "%s", path ? path : "");
    s.paramPath = path ? path : "";
    DigitalChannelTable table{};
    int count = 0;
    if (LoadDigitalParamFile(s.paramPath, count, table))
        s.sensors = count;
}

DIGITAL_EXPORT void LoadDigitalDll() {
    std::lock_guard<std::mutex> lock(State().mutex);
    LogCall(State(), "LoadDigitalDll");
}

DIGITAL_EXPORT void FreeDigitalDll() {
    SimState& s = State();
    StopCommandReader(s);
    std::lock_guard<std::mutex> lock(s.mutex);
    LogCall(s, "FreeDigitalDll");
}

DIGITAL_EXPORT void StartSensorServer() {
    SimState& s = State();
    StopCommandReader(s);
    std::lock_guard<std::mutex> lock(s.mutex);
    LogCall(s, "StartSensorServer");
    s.readerStop = false;
    s.commandReader = std::thread(ReadCommandFile);
}

DIGITAL_EXPORT void StopSensorServer() {
    SimState& s = State();
    StopCommandReader(s);
    std::lock_guard<std::mutex> lock(s.mutex);
    LogCall(s, "StopSensorServer");
}

DIGITAL_EXPORT bool StartLCSRunChannel(int count, const char* const* names) {
    SimState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    std::string list;
    for (int i = 0; i < count && names; ++i)
        list += std::string(i ? "," : "") + (names[i] ? names[i] : "");
    LogCall(s, "StartLCSRunChannel", "%d,%s", count, list.c_str());
    s.sensors = std::max(0, std::min(count, 8));
    s.next = 0;
    return s.runChannelResult;
}

DIGITAL_EXPORT bool StopLoadControlSystem() {
    std::lock_guard<std::mutex> lock(State().mutex);
    LogCall(State(), "StopLoadControlSystem");
    return true;
}

DIGITAL_EXPORT void GetDigitalChanCurData(int count, DigitalRecord* records) {
    SimState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    LogCall(s, "GetDigitalChanCurData", "%d", count);
    const std::int64_t k = s.next > 0 ? s.next - 1 : 0;
    for (int d = 0; d < count && d < 8 && records; ++d) {
        StampOf(s, k, records[d].nTime1, records[d].nTime2);
        records[d].fValue = ValueOf(d, k);
    }
}

#ifndef DIGITAL_SIM_WITHOUT_BATCH
DIGITAL_EXPORT void GetDigitalChanBatchData(int n, DigitalRecord* const* buffers) {
    SimState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    LogCall(s, "GetDigitalChanBatchData", "%d", n);
    if (s.next == 0 && !s.originSet) {
        // The run's first samples were taken just before they were asked for.
        const double now =
            std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
        s.origin = now - static_cast<double>(std::max(n, 0)) / (s.frequency > 0 ? s.frequency : 1.0f);
    }
    for (int i = 0; i < n; ++i)
        for (int d = 0; d < 8 && buffers; ++d) {
            if (!buffers[d])
                continue;
            StampOf(s, s.next + i, buffers[d][i].nTime1, buffers[d][i].nTime2);
            buffers[d][i].fValue = d < s.sensors ? ValueOf(d, s.next + i) : 0.0f;
        }
    s.next += std::max(n, 0);
}
#endif

DIGITAL_EXPORT void StartLCSExecuteAction(std::uint32_t mask) {
    SimState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    LogCall(s, "StartLCSExecuteAction", "%u", mask);
    s.actions.push_back({mask, SinceLoadMs(s)});
}

DIGITAL_EXPORT void SetMessageWnd(platform::HWND window, platform::UINT message) {
    SimState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    LogCall(s, "SetMessageWnd", "%llu,%u", static_cast<unsigned long long>(window), message);
    s.window = window;
    s.message = message;
}

DIGITAL_EXPORT void SetDasFreq(float frequency) {
    SimState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    LogCall(s, "SetDasFreq", "%f", frequency);
    s.frequency = frequency > 0 ? frequency : 1.0f;
    s.next = 0;
}

DIGITAL_EXPORT int GetRecordMode() {
    std::lock_guard<std::mutex> lock(State().mutex);
    LogCall(State(), "GetRecordMode");
    return 0;
}

DIGITAL_EXPORT void DigitalSimSetTimeOrigin(double t0) {
    std::lock_guard<std::mutex> lock(State().mutex);
    State().origin = t0;
    State().originSet = true;
}

DIGITAL_EXPORT void DigitalSimStamp(std::int64_t k, std::uint32_t* time1, std::uint32_t* time2) {
    std::lock_guard<std::mutex> lock(State().mutex);
    StampOf(State(), k, *time1, *time2);
}

DIGITAL_EXPORT float DigitalSimValue(int sensor, std::int64_t k) {
    return ValueOf(sensor, k);
}

DIGITAL_EXPORT std::int64_t DigitalSimBatchSamples() {
    std::lock_guard<std::mutex> lock(State().mutex);
    return State().next;
}

DIGITAL_EXPORT int DigitalSimOrderCommand(int code, std::uint32_t time1, std::uint32_t time2) {
    platform::HWND window = 0;
    platform::UINT message = 0;
    {
        SimState& s = State();
        std::lock_guard<std::mutex> lock(s.mutex);
        LogCall(s, "OrderCommand", "%d,%u,%u", code, time1, time2);
        window = s.window;
        message = s.message;
    }
    if (window == 0)
        return 0;
    std::uint32_t words[2] = {time1, time2};
    platform::SendMessage(window, message, static_cast<platform::WPARAM>(code),
                          reinterpret_cast<platform::LPARAM>(words));
    return 1;
}

DIGITAL_EXPORT int DigitalSimCallCount(const char* function) {
    std::lock_guard<std::mutex> lock(State().mutex);
    const auto it = State().calls.find(function ? function : "");
    return it == State().calls.end() ? 0 : it->second;
}

DIGITAL_EXPORT int DigitalSimActions(std::uint32_t* masks, std::int64_t* ms, int max) {
    std::lock_guard<std::mutex> lock(State().mutex);
    const auto& actions = State().actions;
    const int n = std::min<int>(max, static_cast<int>(actions.size()));
    for (int i = 0; i < n; ++i) {
        masks[i] = actions[i].first;
        ms[i] = actions[i].second;
    }
    return static_cast<int>(actions.size());
}

DIGITAL_EXPORT void DigitalSimSetRunChannelResult(int ok) {
    std::lock_guard<std::mutex> lock(State().mutex);
    State().runChannelResult = ok != 0;
}

DIGITAL_EXPORT void DigitalSimSetNewChannels(int made) {
    std::lock_guard<std::mutex> lock(State().mutex);
    State().newChannels = made != 0;
}
