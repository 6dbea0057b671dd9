// The document of every data window (history, curve, table, bar): it holds
// no data of its own, only its view's kind and its window of samples, which
// it moves on the user's commands, saves in the layout file and shows in the
// window title. The view and the main frame are reached through two small
// interfaces so that the logic runs without a window.
#pragma once

#include <string>
#include <vector>

#include "project/LayoutFile.h"

// Document commands.
constexpr int ID_DATA_FIRST = 32800;
constexpr int ID_DATA_PREV_BATCH = 32801;
constexpr int ID_DATA_NEXT_BATCH = 32802;
constexpr int ID_DATA_LAST = 32803;
constexpr int ID_DATA_PREV_BLOCK = 32809;
constexpr int ID_DATA_NEXT_BLOCK = 32810;
constexpr int ID_DATA_LOCATE = 32799;
constexpr int ID_ZOOM_IN_X = 32804;
constexpr int ID_ZOOM_OUT_X = 32805;
constexpr int ID_XY_MORE_DATA = 32859;
constexpr int ID_XY_LESS_DATA = 32861;
constexpr int ID_RESTORE_DEFAULT = 32854;
constexpr int ID_DELETE_CURRENT_DATA = 32853;
constexpr int ID_DATA_CORRECT = 32844;
constexpr int ID_GRAPH_PROPERTIES = 32837;

// Curve-view display kinds that change the commands.
constexpr int CURVE_DISPLAY_XY = 2;
constexpr int CURVE_DISPLAY_DISTRIBUTION = 3;

// A signal that a curve window shows, for its title.
struct TitleSignal {
    enum Kind { Channel, Virtual, Digital, Rosette, ResidualStress };
    Kind kind = Channel;
    int id = 0;       // channel id, or group number
    std::string name; // group name
};

// What the document asks of its view.
class IDocumentView {
public:
    virtual ~IDocumentView() = default;
    // Reloads the view's data for the document's window and repaints.
    virtual void ReloadDataWindow() = 0;
    // A curve view in distribution display zooms its own axis (factor 2).
    virtual void ZoomDistribution(bool zoomIn) = 0;
    virtual void RestoreDefaultWindow() = 0;
    virtual void OpenPropertySheet() = 0;
    virtual void OpenDataCorrection() = 0;
    virtual std::vector<TitleSignal> GetTitleSignals() const = 0;
    virtual void SetTitle(const std::string& title) = 0;
};

// What the document asks of the main frame.
class IDocumentHost {
public:
    virtual ~IDocumentHost() = default;
    virtual int GetProjectState() const = 0;
    virtual int GetTotalDataCount() const = 0;
    virtual std::string GetProjectName() const = 0;
    // The project's ".LYT", or the program folder's when no project file exists.
    virtual std::string GetDocumentLayoutFile() const = 0;
    virtual bool IsOpeningViewWindow() const = 0;
    virtual int GetAnalysisBlockSize() const = 0;
    virtual bool IsRunActive() const = 0;
    virtual void ShowDataCountInStatusBar(int kind, int count, int total, bool acquiring) = 0;
    virtual void ToggleDataLocateBar() = 0;
    // Asks, then deletes one sample set; false when the user said no or it failed.
    virtual bool DeleteStoredSample(int index) = 0;
    // A project file: project folder, "/", project name and the suffix.
    virtual std::string GetProjectFilePath(const std::string& suffix) const = 0;
    // Every other open data window takes the position as its first sample.
    virtual void LocateOtherViews(const class CQV7411N_NewFrameDoc* from, int position) = 0;
    // Moves the table windows and the distribution curve windows to a sample.
    virtual void SyncViewsToSample(int sample) = 0;
    // Redraws every open data window after a data edit.
    virtual void RefreshAllViews() = 0;
};

class CQV7411N_NewFrameDoc {
public:
    CQV7411N_NewFrameDoc(IDocumentHost* host, int viewType, IDocumentView* view);

    // Opening: a window on live data (new) or on stored data (open). A
    // window reopened from a layout file gives its index among the windows
    // of its kind; -1 for one opened by a command.
    void OnNewDocument(int layoutIndex = -1);
    void OnOpenDocument(const std::string& path, int layoutIndex = -1);

    void ResetDataWindow();
    void SetViewDataWindow(int left, int wanted, int actual);
    // Shows the window's sample count (batch number for tables and bars) in the status bar.
    void ShowDataCount() const;
    bool IsCommandEnabled(int id) const;
    // Runs a document command when it is enabled; false otherwise.
    bool OnCommand(int id);
    // Moves this window to a sample; with sync every other window follows.
    void LocateData(int position, bool sync = false);
    // Takes the position as the first sample, the actual count cut to the total.
    void MoveToSample(int position);

    // From a history window while no run is active: the table and
    // distribution windows follow to the sample.
    void SyncViewsToSample(int sample);
    // Applies k x v + b to a channel's correction and redraws every window.
    void ApplyDataCorrection(int channel, float k, float b);

    // Stored data of the window's first sample. Kind 1: the sample frame
    // spread over 512 case blocks by case number, in engineering values;
    // kind 2: the 32-byte result record of the ".dst" file. False when it
    // cannot be read (beyond the end, or a live window).
    bool ReadCurrentRecord(int kind, void* buffer) const;
    // The rosette (6 values) or residual-stress (9 values) results of a
    // group at the window's first sample.
    bool ReadRosetteRecord(int group, float* record) const;
    bool ReadResidualStressRecord(int group, float* record) const;
    // One result column of a group over count samples from first.
    bool ReadRosetteColumn(int group, int first, int count, int column, float* out) const;
    bool ReadResidualStressColumn(int group, int first, int count, int column, float* out) const;
    // Values first..last of a virtual channel (id 4096 and above) from its result file.
    bool ReadVirtualChannelData(int channel, int first, int last, float* out) const;
    // The time text of the first sample; empty for a live window.
    std::string GetCurrentSampleTime() const;
    std::string GetClampedSampleTime() const;
    // The leading date-time part of a sample's time text; empty for an empty path.
    static std::string GetSampleTimeText(const std::string& statusPath, int index);

    void SaveViewState(const std::string& layoutFile, int index) const;
    void LoadViewState(const std::string& layoutFile, int index);
    static std::string ViewStateSection(int viewType, int index);

    std::string UpdateTitle();
    std::string BuildTitle() const;

    int GetViewType() const { return m_nViewType; }
    // The main frame, which holds the project this window reads.
    const IDocumentHost* GetHost() const { return m_pHost; }
    bool IsDistribution() const;
    bool IsStoredData() const { return m_bStoredData; }
    void SetStoredData(bool stored) { m_bStoredData = stored; }
    int GetTotal() const { return m_nTotal; }
    void SetTotal(int total) { m_nTotal = total; }
    int GetSpectralLines() const { return m_nSpectralLines; }
    const std::string& GetPathName() const { return m_strPathName; }

    int m_nShowGraphType = 1;
    int m_nScreenDataLeft = 0;
    int m_nScreenDataCount = 1;
    int m_nNowDataCount = 1;

private:
    bool IsHistoryOrCurve() const;
    bool IsRealTimeCurve() const;
    int ClampActual(int wanted) const;
    void ClampWindowToTotal();
    void ApplyCommand(int id);
    bool IsOpenedByCommand(int layoutIndex) const;

    IDocumentHost* m_pHost;
    IDocumentView* m_pView;
    int m_nViewType;
    bool m_bStoredData = false;
    int m_nTotal = 0;
    int m_nSpectralLines = 1;
    int m_nBlockSize = 0;
    std::string m_strPathName;
};

// The table-kind suffix of a table window's title ("" for kinds without one).
std::string TableKindSuffix(int kind);

// Deletes one sample set (its frame and status record) from a stored run;
// count takes the new number of samples. 0 when nothing was deleted.
int DeleteStoredSampleSet(const std::string& dataPath, int index, int& count);
