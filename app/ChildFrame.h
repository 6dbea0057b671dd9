// The child window of every data window: a splitter with the information
// pane on the left (hidden unless asked for) and the template's view on the
// right, owning the window's document.
#pragma once

#include <QMdiSubWindow>

#include <memory>

#include "app/DataViews.h"
#include "project/LayoutFile.h"
#include "project/ProjectDocument.h"
#include "views/history/ShowInfoView.h"

class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    CChildFrame(IDocumentHost* host, int viewType, QWidget* parent = nullptr);
    ~CChildFrame() override;

    CDataViewBase* GetActiveView() const { return m_pView; }
    CQV7411N_NewFrameDoc* GetDocument() const { return m_pDocument.get(); }
    int GetViewType() const { return m_pView->GetViewType(); }

    void SaveWindowPlacement(const std::string& fileName, int index) const;
    void LoadWindowPlacement(const std::string& fileName, int index);
    bool IsInfoViewShown() const;
    void ShowInfoView(bool show, int width);
    CShowInfoView* GetInfoView() const { return m_pInfoView; }
    CInfoViewSplitter* GetSplitter() const { return m_pSplitter; }

    int m_nLeftViewWidth = 1;
    int m_nReserved = 0;
    int m_bShowInfoView = 0;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // A history view fills the information column and shows or hides it.
    void ConnectHistoryView();

    CInfoViewSplitter* m_pSplitter;
    CShowInfoView* m_pInfoView;
    CDataViewBase* m_pView;
    std::unique_ptr<CQV7411N_NewFrameDoc> m_pDocument;
};
