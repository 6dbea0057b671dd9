// Plays the alarm sound "warning.wav" of the program folder once, on a
// worker thread, so that an alarm never holds the caller.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class CAlarmSoundPlayer {
public:
    // Plays the file to its end or until the flag says stop.
    using Player = std::function<void(const std::string& path, const std::atomic<bool>& stop)>;

    // The sound of the program folder (the running program's folder when empty).
    explicit CAlarmSoundPlayer(const std::string& programFolder = "");
    // Stops and waits for the worker.
    ~CAlarmSoundPlayer();
    CAlarmSoundPlayer(const CAlarmSoundPlayer&) = delete;
    CAlarmSoundPlayer& operator=(const CAlarmSoundPlayer&) = delete;

    // Tests give their own player; the default plays through CWaveSound and the system's
    // sound player program when there is one.
    void SetPlayer(Player player) { m_player = std::move(player); }

    // Starts one playing when the file exists; otherwise the status is -1.
    void Start();
    // Stops a playing sound and waits for the worker.
    void Stop();

    bool IsRunning() const { return m_bRunning.load(); }
    int GetStatus() const { return m_nStatus; }
    bool FileExists() const { return m_bFileExists; }
    const std::string& GetPath() const { return m_strPath; }

private:
    void Join();

    std::string m_strPath;
    bool m_bFileExists = false;
    int m_nStatus = 0;
    std::atomic<bool> m_bRunning{false};
    std::atomic<bool> m_bStop{false};
    Player m_player;
    std::mutex m_threadMutex; // guards m_thread (start, stop and join)
    std::thread m_thread;
};

// "QV静态测试系统 V%d.%d.%d(%d)" from a file version's four numbers; the
// fourth is a packed date (day bits 0-5, month 6-9, year 10-15) shown as
// yyyymmdd. Empty without version information.
struct FileVersionInfo {
    std::uint16_t nMajor = 0;
    std::uint16_t nMinor = 0;
    std::uint16_t nBuild = 0;
    std::uint16_t nDate = 0;
};
std::string GetVersionCaption(const FileVersionInfo* version);
