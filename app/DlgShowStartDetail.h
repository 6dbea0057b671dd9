// The start-up progress window: two text lines, each with a progress bar
// under it. It lives on the user-interface thread and repaints from the
// progress state whenever a worker announces a change.
#pragma once

#include <QDialog>

#include "app/StartProgress.h"
#include "platform/Message.h"

class QLabel;
class QProgressBar;

class CDlgShowStartDetail : public QDialog, public platform::MessageTarget {
    Q_OBJECT
public:
    static constexpr int IDD = 211;

    explicit CDlgShowStartDetail(CStartProgressState& state, QWidget* parent = nullptr);
    ~CDlgShowStartDetail() override;

    platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam,
                                 platform::LPARAM lParam) override;
    // Shows the latest state of the progress.
    void ApplyState();

    QString Text1() const;
    QString Text2() const;
    QProgressBar* Bar1() const { return m_pBar1; }
    QProgressBar* Bar2() const { return m_pBar2; }

protected:
    // Enter and Escape never close the window.
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override {}

private:
    CStartProgressState& m_state;
    QLabel* m_pText1;
    QProgressBar* m_pBar1;
    QLabel* m_pText2;
    QProgressBar* m_pBar2;
};
