// Owner of the start-up progress window. The window lives on the
// user-interface thread (no second GUI thread under Qt); workers reach it
// only through the progress sink, whose changes are posted to the window, so
// it stays responsive while the work runs. A WM_QUIT destroys the window.
#pragma once

#include <memory>

#include "app/DlgShowStartDetail.h"
#include "app/StartProgress.h"

class CShowDetailWinThread {
public:
    CShowDetailWinThread();
    ~CShowDetailWinThread();

    // Creates the window hidden; false when it cannot be made.
    bool InitInstance();
    // The progress interface, or nullptr when there is no window.
    IStartProgress* GetProgressSink();
    // The same interface for a worker, which keeps it alive while it runs.
    std::shared_ptr<IStartProgress> GetSharedProgressSink() { return m_pState; }
    // WM_QUIT ends the window; other messages are ignored.
    void PostThreadMessage(platform::UINT message);
    CDlgShowStartDetail* GetWindow() const { return m_pDialog.get(); }

private:
    void ExitInstance();

    // Shared so that a worker still holding the sink outlives the window safely.
    std::shared_ptr<CStartProgressState> m_pState;
    std::unique_ptr<CDlgShowStartDetail> m_pDialog;
};
