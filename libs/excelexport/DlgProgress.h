// The progress window of a long spreadsheet export ("正在进行Excel处理,请稍候
// ......"): a progress bar and the button "退出". The exporting loop calls
// JudgeExit between steps, which lets the program handle its pending events
// and says whether the user asked to stop.
#pragma once

#include "libs/excelexport/BriselRApi.h"

#include <QDialog>

#include <string>

class QCoreApplication;
class QProgressBar;
class QPushButton;

class BRISEL_R_API CDlgProgress : public QDialog {
    Q_OBJECT

public:
    explicit CDlgProgress(QWidget* pParent = nullptr);
    ~CDlgProgress() override;

    // Progress range 0 … n.
    void SetRange(int n);
    void SetProgress(int nPos);
    // Handles the pending events: 1 to go on; 0 once Esc or "退出" closed
    // the window or the program was asked to quit (the quit still takes
    // place when the caller returns to the event loop).
    int JudgeExit(QCoreApplication* pApp);
    // "%d_%d": the group (channel / n + 1) and the unit in it (channel % n + 1);
    // empty for n < 1.
    std::string GetChannelStrID(int nChannel, int n) const;
    // Closes the window and asks the exporting loop to stop.
    void OnCancel();

    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QProgressBar* m_pProgress;
    QPushButton* m_pExit;
    bool m_bExit = false;
    bool m_bQuit = false;
};
