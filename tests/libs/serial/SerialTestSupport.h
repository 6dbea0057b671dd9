// COM n pointed at a fresh pseudo-terminal for the length of a test, and a
// collector of the bytes a reader delivers.
#pragma once

#include "platform/PseudoTerminal.h"
#include "platform/SerialPort.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

class PtyPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_pty.Open());
        platform::SetSerialDevicePath(kPort, m_pty.SlavePath());
    }
    void TearDown() override { platform::SetSerialDevicePath(kPort, ""); }

    static constexpr int kPort = 9;
    static constexpr int kMissingPort = 200; // /dev/ttyS199: never there
    platform::PseudoTerminal m_pty;
};

struct ReceivedBytes {
    std::mutex mutex; // guards text and events
    std::condition_variable arrived;
    std::string text;
    int events = 0;

    static void OnReceive(void* user, const std::uint8_t* bytes, std::uint32_t count) {
        auto* self = static_cast<ReceivedBytes*>(user);
        std::lock_guard<std::mutex> lock(self->mutex);
        self->text.append(reinterpret_cast<const char*>(bytes), count);
        self->arrived.notify_all();
    }
    static void OnEvent(void* user, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {
        auto* self = static_cast<ReceivedBytes*>(user);
        std::lock_guard<std::mutex> lock(self->mutex);
        ++self->events;
    }
    // The text once it holds at least n bytes, or what came within the time.
    std::string WaitFor(std::size_t n, int timeoutMs = 2000) {
        std::unique_lock<std::mutex> lock(mutex);
        arrived.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return text.size() >= n; });
        return text;
    }
};

inline double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
