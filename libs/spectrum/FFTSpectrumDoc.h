// The document of a spectrum window: its graph-interface object, its
// analysis record, the chosen channels, the window title, the layout file
// and the block stepping through the stored ".fft" files.
#pragma once

#include "libs/spectrum/AnalysisDataInterface.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class Lurrow;
class CFFTSpectrumView;
class CFFTSpectrumChildFrm;

// Commands of the spectrum windows.
constexpr int ID_SPECTRUM_SELECT_CHANNELS = 32772;
constexpr int ID_SPECTRUM_SINGLE_CURSOR = 32795;
constexpr int ID_SPECTRUM_DOUBLE_CURSOR = 32796;
constexpr int ID_SPECTRUM_PEAK_CURSOR = 32797;
constexpr int ID_SPECTRUM_ZOOM_IN_X = 32804;
constexpr int ID_SPECTRUM_ZOOM_OUT_X = 32805;
constexpr int ID_SPECTRUM_ZOOM_IN_Y = 32806;
constexpr int ID_SPECTRUM_ZOOM_OUT_Y = 32807;
constexpr int ID_SPECTRUM_PREV_BLOCK = 32809;
constexpr int ID_SPECTRUM_NEXT_BLOCK = 32810;
constexpr int ID_SPECTRUM_AUTO_SCALE = 32818;
constexpr int ID_SPECTRUM_EXPORT_DATA = 32838;
constexpr int ID_SPECTRUM_COPY_BITMAP = 32839;
constexpr int ID_SPECTRUM_CURSOR_SWITCH = 32848;
constexpr int ID_SPECTRUM_DEFAULT_VIEW = 32854;

// A command's state for its menu item or button.
struct SpectrumCommandState {
    bool handled = false; // the window knows the command
    bool enabled = false;
    bool checked = false;
};

class LURROW_API CFFTSpectrumDoc {
public:
    CFFTSpectrumDoc();
    virtual ~CFFTSpectrumDoc();
    CFFTSpectrumDoc(const CFFTSpectrumDoc&) = delete;
    CFFTSpectrumDoc& operator=(const CFFTSpectrumDoc&) = delete;

    void SetGraphInterface(Lurrow* graph);
    Lurrow* GetGraphInterface() const { return m_pGraphInterface; }
    // index −1: the number of registered views (the window just created).
    void SetGraphViewLyt(int index);

    CFFTSpectrumView* GetView() const { return m_pView; }
    CFFTSpectrumChildFrm* GetFrame() const { return m_pFrame; }
    std::string GetLayoutFile() const;
    void SetTitleText();
    const std::string& GetTitle() const { return m_strTitle; }
    void SetGraphSelChnID(const std::vector<int>& channels);
    const std::vector<int>& GetSelChannels() const { return m_SelChannels; }
    void SaveLayoutParameters(const std::string& file, int index);
    void ReadLayoutParameters(const std::string& file, int index);
    // Reads the current block of a channel's ".fft" file into the spectra.
    void GetFFTSpectrumData(int channel);
    void OnNewDocument();
    void OnCloseDocument();

    bool OnCommand(int id);
    SpectrumCommandState QueryCommand(int id) const;

    CAnalysisDataInterface* GetAnalysisData() const { return m_pAnalysisData.get(); }
    int GetBlockIndex() const { return m_nBlockIndex; }
    int GetBlockCount() const { return m_nBlockCount; }

    // Set by the child frame that owns the document and its view.
    void Attach(CFFTSpectrumChildFrm* frame, CFFTSpectrumView* view);

private:
    Lurrow* m_pGraphInterface = nullptr;
    std::unique_ptr<CAnalysisDataInterface> m_pAnalysisData;
    int m_nBlockIndex = 0;
    int m_nBlockCount = 0;
    std::vector<int> m_SelChannels;
    std::string m_strTitle;
    CFFTSpectrumView* m_pView = nullptr;
    CFFTSpectrumChildFrm* m_pFrame = nullptr;
    bool m_bClosed = false;
};
