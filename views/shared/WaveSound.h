// Plays a wave file to its end through the system's wave player program
// ("aplay"), without a sound server; one sound of the process at a time.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

class CWaveSound {
public:
    // Counts the wave-output devices.
    CWaveSound();
    // Stops any sound.
    ~CWaveSound();
    CWaveSound(const CWaveSound&) = delete;
    CWaveSound& operator=(const CWaveSound&) = delete;

    // Stops any sound of the process, then plays the file and returns when it
    // has ended (or was stopped, or the cancel flag was set). A missing file
    // plays nothing, and no default sound either. TRUE when the file played.
    int Play(const std::string& fileName, const std::atomic<bool>* cancel = nullptr);
    // Stops any sound of the process; TRUE.
    int Stop();
    // The same, for callers without a player of their own.
    static void StopAll();

    int GetDeviceCount() const { return m_nDevices; }

private:
    std::int32_t m_nDevices = 0;
    std::int32_t m_nReserved = 0;
    const void* m_pSound = nullptr; // a loaded sound image: none, sounds play from files
    int m_bResource = 0;
};
