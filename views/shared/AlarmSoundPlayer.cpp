// The alarm-sound worker and the version caption.
#include "views/shared/AlarmSoundPlayer.h"

#include "platform/Files.h"
#include "platform/Text.h"
#include "views/shared/WaveSound.h"

namespace {

void PlayWithWaveSound(const std::string& path, const std::atomic<bool>& stop) {
    CWaveSound sound;
    sound.Play(path, &stop);
}

} // namespace

CAlarmSoundPlayer::CAlarmSoundPlayer(const std::string& programFolder)
    : m_strPath(platform::JoinPath(programFolder.empty() ? platform::ProgramFolder() : programFolder,
                                   "warning.wav")),
      m_bFileExists(platform::FileExists(m_strPath)), m_player(&PlayWithWaveSound) {}

CAlarmSoundPlayer::~CAlarmSoundPlayer() {
    Stop();
    Join();
}

void CAlarmSoundPlayer::Start() {
    if (!m_bFileExists) {
        m_nStatus = -1;
        return;
    }
    std::lock_guard<std::mutex> lock(m_threadMutex);
    if (m_bRunning.load())
        return;
    if (m_thread.joinable())
        m_thread.join(); // the previous playing has ended
    m_bStop = false;
    m_bRunning = true;
    m_thread = std::thread([this] {
        m_player(m_strPath, m_bStop);
        m_bRunning = false;
    });
}

void CAlarmSoundPlayer::Stop() {
    m_bStop = true;
    Join();
}

void CAlarmSoundPlayer::Join() {
    // The worker waits for nobody; the player ends within its own limit once
    // the stop flag is set.
    std::lock_guard<std::mutex> lock(m_threadMutex);
    if (m_thread.joinable())
        m_thread.join();
    m_bRunning = false;
}

std::string GetVersionCaption(const FileVersionInfo* version) {
    if (version == nullptr)
        return {};
    const int day = version->nDate & 0x3F;
    const int month = (version->nDate >> 6) & 0x0F;
    const int year = (version->nDate >> 10) & 0x3F;
    return platform::Format("QV静态测试系统 V%d.%d.%d(%d)", version->nMajor, version->nMinor, version->nBuild,
                            year * 10000 + month * 100 + day);
}
