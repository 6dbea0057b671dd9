// The graph-interface object of the spectrum library: the main frame hands
// it the run's parameters and every new block of samples; its worker turns
// each channel's block into a spectrum and appends it to the channel's
// ".fft" file, and the open spectrum windows redraw from its spectra.
// Everything here is called on the user-interface thread.
#pragma once

#include "libs/spectrum/AnalysisDataInterface.h"
#include "libs/spectrum/SpectrumChannels.h"
#include "libs/spectrum/SpectrumWorker.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QObject;
class QWidget;

class LURROW_API Lurrow {
public:
    Lurrow();
    virtual ~Lurrow();
    Lurrow(const Lurrow&) = delete;
    Lurrow& operator=(const Lurrow&) = delete;

    void SetParentWnd(QWidget* parent) { m_pParent = parent; }
    QWidget* GetParentWnd() const { return m_pParent; }
    // The folder of the program's own layout file "QV7416.LYT" (by default
    // the folder of the running program).
    void SetProgramFolder(const std::string& folder) { m_strProgramFolder = folder; }
    const std::string& GetProgramFolder() const { return m_strProgramFolder; }
    void SetSampleParam(float sampleRate, int blockSize);
    // Units past the channel table (0 .. 255) are left out of it.
    void SetCaseParam(int count, const int* units);
    void SetProjectPathName(const std::string& path, const std::string& name);
    void SetChannelEU(int count, const std::string* texts);
    void ResetGraphView();
    void SetGraphDraw();
    void GetViewObject();
    // Copies count samples of each online channel (buffers in channel-table
    // order) and queues the block for the worker.
    void SetSampleDataBuffer(int count, float** buffers);
    // Copies the map's channels of the channel table; the others keep theirs.
    void SetSampleDataBuffer(std::map<int, std::vector<float>>& data);
    // Takes the spectra the worker finished and redraws every view.
    void UpdateGraphView();
    // Waits for the worker (bounded), then every view re-reads and redraws.
    void RefreshGraphView();
    // Queues the append of the current block's spectra to the ".fft" files.
    // False without a project path and name, without spectra, when the
    // block was dropped, or when the project's files hold another line count.
    bool SaveFFTSpectrumData();
    void SaveSpectrumLayout(const std::string& file);
    void OpenSpectrumLayout(const std::string& file);
    void SetProjectStatus(int status) { m_nProjectStatus = status; }
    void SetDataStatus(bool status) { m_bDataStatus = status; }

    // Written directly by the main program.
    int m_nProjectStatus = 0;
    bool m_bDataStatus = true;

    // For the library's windows and the frame.
    float GetSampleRate() const { return m_fSampleRate; }
    int GetBlockSize() const { return m_nBlockSize; }
    int GetLineCount() const { return lurrow::SpectralLineCount(m_nBlockSize); }
    int GetOnlineUnitCount() const { return m_nOnlineUnitCount; }
    const std::string& GetProjectPath() const { return m_strProjectPath; }
    const std::string& GetProjectName() const { return m_strProjectName; }
    int GetSpectrumViewCount() const { return m_nViewCount; }
    CAnalysisDataInterface* GetAnalysisData() const { return m_pAnalysisData.get(); }
    const lurrow::SpectrumMap& GetSpectra() const;
    const lurrow::TimeData& GetTimeData() const;
    // Replaces one channel's spectrum (a block read back from its file).
    void SetChannelSpectrum(int channel, lurrow::Spectrum spectrum);
    // True once a block was handed over or spectra were read back.
    bool HasData() const;
    // Waits up to timeoutMs for the worker and takes its spectra.
    bool FlushSpectra(int timeoutMs = 10000);
    std::uint64_t GetDroppedBlockCount() const;
    std::uint64_t GetRefusedSaveCount() const;
    // Faults since the last call (dropped blocks, refused appends).
    std::vector<std::string> TakeReports();

private:
    void QueueTimeData(std::shared_ptr<lurrow::TimeData> data);
    bool TakePublishedSpectra();
    template <class F> void ForEachView(F f);

    int m_nViewCount = 0;
    std::array<ISpectrumView*, lurrow::kMaxSpectrumViews> m_Views{};
    int m_nOnlineUnitCount = 0;
    std::array<int, lurrow::kMaxUnits> m_OnlineUnits{};
    float m_fSampleRate = 0.0f;
    int m_nBlockSize = 0;
    std::shared_ptr<const lurrow::TimeData> m_pTimeData;
    std::shared_ptr<const lurrow::SpectrumMap> m_pSpectra;
    std::string m_strProjectPath;
    std::string m_strProjectName;
    std::string m_strProgramFolder;
    QWidget* m_pParent = nullptr;
    std::unique_ptr<CAnalysisDataInterface> m_pAnalysisData;
    bool m_bLastBlockDropped = false;
    std::uint64_t m_nRefusedSaves = 0; // refused here, on the user-interface thread
    std::vector<std::string> m_reports;
    // Receives the worker's "spectra ready" on the user-interface thread;
    // its destruction discards calls still queued for it.
    std::unique_ptr<QObject> m_pNotifier;
    std::unique_ptr<lurrow::CSpectrumWorker> m_pWorker;
};
