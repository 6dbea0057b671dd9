// The wave player: one "aplay" child at a time, stopped by a generation count
// that every stop advances.
#include "views/shared/WaveSound.h"

#include "platform/Files.h"
#include "platform/Process.h"

#include <csignal>
#include <fstream>
#include <mutex>

namespace {

constexpr int kPollMs = 20;
constexpr int kStopWaitMs = 1000;

std::mutex g_soundMutex;         // guards g_nSoundPid and g_nStopGeneration
pid_t g_nSoundPid = -1;          // the playing child, -1 none
std::uint64_t g_nStopGeneration; // advanced by every stop

// Playback devices of the sound system's device list, one line each.
int CountWaveDevices() {
    std::ifstream list("/proc/asound/pcm");
    int count = 0;
    for (std::string line; std::getline(list, line);)
        count += line.find("playback") != std::string::npos ? 1 : 0;
    return count;
}

} // namespace

CWaveSound::CWaveSound() : m_nDevices(CountWaveDevices()) {}

CWaveSound::~CWaveSound() {
    Stop();
}

void CWaveSound::StopAll() {
    std::lock_guard<std::mutex> lock(g_soundMutex);
    ++g_nStopGeneration;
    if (g_nSoundPid > 0)
        ::kill(g_nSoundPid, SIGTERM);
}

int CWaveSound::Stop() {
    StopAll();
    m_pSound = nullptr; // no image is ever loaded, so nothing is freed
    m_bResource = 0;
    return 1;
}

int CWaveSound::Play(const std::string& fileName, const std::atomic<bool>* cancel) {
    StopAll();
    if (fileName.empty() || !platform::FileExists(fileName))
        return 0;
    platform::Process process;
    std::uint64_t generation = 0;
    {
        std::lock_guard<std::mutex> lock(g_soundMutex);
        if (!process.Start("aplay", {"-q", fileName}))
            return 0;
        g_nSoundPid = process.Pid();
        generation = g_nStopGeneration;
    }
    bool stopped = false;
    while (!process.Wait(kPollMs)) {
        std::lock_guard<std::mutex> lock(g_soundMutex);
        if (g_nStopGeneration != generation || (cancel != nullptr && cancel->load())) {
            ::kill(process.Pid(), SIGTERM);
            stopped = true;
            break;
        }
    }
    if (stopped)
        process.Wait(kStopWaitMs);
    std::lock_guard<std::mutex> lock(g_soundMutex);
    if (g_nSoundPid == process.Pid())
        g_nSoundPid = -1;
    return 1;
}
