// The form view of a spectrum window: one graph control filling it, fed
// with the spectra of the document's channels from the graph-interface
// object, with the window's commands and its context menu.
#pragma once

#include "libs/spectrum/FFTSpectrumDoc.h"
#include "libs/spectrum/SpectrumViewHost.h"

#include <QWidget>

#include <vector>

class CSpectrumGraphCtrl;
class Lurrow;

class LURROW_API CFFTSpectrumView : public QWidget, public ISpectrumView {
    Q_OBJECT
public:
    CFFTSpectrumView(CFFTSpectrumDoc* document, QWidget* parent = nullptr);
    ~CFFTSpectrumView() override;

    // Enters the library's registry; false when 16 views exist already.
    bool Register();

    void SetGraphInterface(Lurrow* graph) { m_pGraphInterface = graph; }
    void SetGraphDataInterface(CAnalysisDataInterface* record) { m_pAnalysisData = record; }
    CFFTSpectrumDoc* GetDocument() const { return m_pDocument; }
    CSpectrumGraphCtrl* GetGraphCtrl() const { return m_pGraph; }
    const std::vector<int>& GetSelChannels() const { return m_SelChannels; }

    void UpdateGraphParameter();
    void ResetViewInfo();
    void SetLineEU();
    void SaveLayoutParameters(const std::string& file, int index);
    void ReadLayoutParameters(const std::string& file, int index);
    // The channel-selection dialog; on OK the selection becomes its list.
    void OnSetGraphchnSelect();
    void SetSelChannels(const std::vector<int>& channels);
    void OnExportData();
    void OnCopyToClipboard();

    // ISpectrumView.
    void ResetGraphView() override;
    void SetGraphDraw() override;
    void RefreshSpectrumGraph() override;
    void RefreshFFTSpectrumView() override;
    void SaveLayout(const std::string& file, int index) override;
    void ReadLayout(int index) override;

    // The window's commands, the document's included.
    bool OnCommand(int id);
    SpectrumCommandState QueryCommand(int id) const;
    // Builds the context menu (the test and the mouse share it).
    class QMenu* CreateContextMenu();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    CFFTSpectrumDoc* m_pDocument;
    CSpectrumGraphCtrl* m_pGraph;
    std::vector<int> m_SelChannels;
    Lurrow* m_pGraphInterface = nullptr;
    CAnalysisDataInterface* m_pAnalysisData = nullptr;
};
