// The calibration run: on its own thread it sets the strain-signal
// generator to each calibration point, asks the main program for the
// module's readings, checks and stores them, and at the end rebuilds the
// over-limit list and offers the correction. The run reaches the link, the
// generator and the windows only through CalibrateRunHost.
#pragma once

#include "calibrator/CalibrateData.h"
#include "calibrator/CalibrateTypes.h"
#include "platform/Sync.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class CalibrateRunHost {
public:
    virtual ~CalibrateRunHost() = default;
    // Resets the reply event of the packet's code and sends the packet
    // (reconnecting once when the send fails); 1 when sent, else 0.
    virtual int SendRequest(const std::vector<std::uint8_t>& packet) = 0;
    // Waits up to the time for the reply of the code; true when it came.
    virtual bool WaitReply(int code, std::uint32_t milliseconds) = 0;
    // Sets every reply event, so that every wait ends.
    virtual void WakeAllWaits() = 0;
    // The sample block of the last reply 3.
    virtual CaseSampleBlock LastSample() = 0;
    // The generator's output (Part of the serial library's interface).
    virtual int SetStrainValue(int channel, int type, int mode, int value) = 0;
    // Status text of the step; the grid with the current point and channel
    // marked; the grid cleared (marks only or everything).
    virtual void ShowStatus(const std::string& text) = 0;
    virtual void RefreshResults() = 0;
    virtual void ClearResults(bool marksOnly) = 0;
    // Writes correct.txt from the store for the run's module.
    virtual void WriteCorrectFile(const CalibrateChannelParam& block) = 0;
    // Asks for the correction and opens the correction dialog on Yes.
    virtual void OfferCorrection() = 0;
    // Reports a reading that stayed abnormal (when the settings ask for it).
    virtual void ShowAbnormal() = 0;
    // A completed strain run: save the results, set the done flag.
    virtual void RunFinished() = 0;
    // The next repeated run is due after the pause (scaled by the run clock).
    virtual void ScheduleRepeat(std::uint32_t milliseconds) = 0;
    // The thread is about to end: re-enable the form and the view.
    virtual void RunEnded() = 0;
};

class CCalibrateRun {
public:
    // A stopped or finished run; the ended thread's wait before a new start.
    static constexpr std::uint32_t kPreviousRunWaitMs = 10000;
    static constexpr std::uint32_t kRepeatPauseMs = 5000;

    CCalibrateRun(CalibrateRunHost& host, CalibrateData& data);
    // Stops a run and waits for its thread.
    ~CCalibrateRun();
    CCalibrateRun(const CCalibrateRun&) = delete;
    CCalibrateRun& operator=(const CCalibrateRun&) = delete;

    // Starts a run of the block's channel type with the settings, once a
    // previous thread has ended (waiting up to 10 s); false when one is
    // still running.
    bool Start(const CalibrateChannelParam& block, const CalibrationSettings& settings);
    // Ends the run at its next check and every wait at once.
    void Stop();
    void TogglePause();
    bool IsCalibrating() const { return m_bCalibrating.load(); }
    bool IsPaused() const { return m_bPaused.load(); }
    // Waits for the thread; true when none runs any more.
    bool Join(std::uint32_t milliseconds);
    // Counter of repeated runs, reset by the start button.
    int RunCounter() const { return m_nRunCounter.load(); }
    void ResetRunCounter() { m_nRunCounter.store(0); }

private:
    void ThreadMain();
    bool Active() const { return m_bCalibrating.load(); }
    void WaitWhilePaused();
    // A fixed pause; false when the run ended meanwhile.
    bool Pause(std::uint32_t milliseconds);
    // Sends and waits for the reply (no time-out unless given) while the
    // run is active; false when the send failed.
    bool Request(const std::vector<std::uint8_t>& packet, std::uint32_t waitMs = 0xFFFFFFFF);

    bool StopSampling();
    bool SetChannelParams();
    bool FetchCoefficients();
    bool StartSampling();
    bool SetGeneratorChannel(int point, int channel1, bool negative);
    bool ReadPoint(int channel);
    bool BalanceChannel(int channel);
    bool Balance(bool negative);
    bool HasNegativePoint() const;
    bool InTable(int point) const;
    // Measures one channel at the point; false when the generator failed.
    bool MeasureChannel(int point, int channel);
    void MeasurePoint(int point);

    void StrainRunByPoint();
    void StrainRunByChannel();
    void VoltageRun();
    void Finish();

    CalibrateRunHost& m_host;
    CalibrateData& m_data;
    // Copies taken at the start, read by the thread only.
    CalibrateChannelParam m_block{};
    CalibrationSettings m_settings{};
    std::atomic<bool> m_bCalibrating{false};
    std::atomic<bool> m_bPaused{false};
    std::atomic<int> m_nRunCounter{0};
    platform::Event m_stop{true, false}; // set by Stop: ends the pauses
    platform::Event m_ended{true, true}; // set when no thread runs
    std::thread m_thread;                // joined before a new start and at the end
};
