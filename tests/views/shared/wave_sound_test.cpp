// The wave player against a stand-in "aplay" on the PATH that logs its
// arguments and lasts as long as the test asks.
#include <gtest/gtest.h>

#include "model/ChannelModelTestSupport.h"
#include "views/shared/WaveSound.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

class WaveSoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_log = m_folder.File("aplay.log");
        const std::string player = m_folder.File("aplay");
        std::ofstream(player) << "#!/bin/sh\necho \"$@\" >> '" << m_log << "'\nexec sleep \"$(cat '"
                              << m_folder.File("seconds") << "')\"\n";
        ::chmod(player.c_str(), 0755);
        SetSeconds("0");
        m_oldPath = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
        ::setenv("PATH", (m_folder.File("") + ":" + m_oldPath).c_str(), 1);
        m_sound = m_folder.File("warning.wav");
        std::ofstream(m_sound) << "RIFF";
    }
    void TearDown() override { ::setenv("PATH", m_oldPath.c_str(), 1); }
    void SetSeconds(const char* seconds) { std::ofstream(m_folder.File("seconds")) << seconds; }
    std::string Log() const {
        std::ifstream file(m_log);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    ScratchFolder m_folder;
    std::string m_log, m_oldPath, m_sound;
};

TEST_F(WaveSoundTest, PlaysTheFileToItsEndAndAMissingFileNotAtAll) {
    CWaveSound sound;
    SetSeconds("0.3");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(sound.Play(m_sound), 1);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250)) << "plays to its end";
    EXPECT_EQ(Log(), "-q " + m_sound + "\n");

    EXPECT_EQ(sound.Play(m_folder.File("missing.wav")), 0);
    EXPECT_EQ(Log(), "-q " + m_sound + "\n") << "no player, so no default sound";
}

TEST_F(WaveSoundTest, StopEndsTheSoundOfAnotherThread) {
    SetSeconds("30");
    CWaveSound sound;
    const auto start = std::chrono::steady_clock::now();
    std::thread player([&] { sound.Play(m_sound); });
    while (Log().empty() && std::chrono::steady_clock::now() - start < std::chrono::seconds(10))
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(CWaveSound().Stop(), 1) << "any player stops the process's sound";
    player.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

} // namespace
