// The tab bar of the frame's data windows: a double click on a tab closes
// that window, a right click activates it and opens the window menu (close,
// close all, close all others) at the point.
#pragma once

#include <QObject>

class CMainFrame;
class QMenu;

class CMdiTabMenu : public QObject {
    Q_OBJECT
public:
    // Watches the frame's tab bar; lives as the frame's child.
    static CMdiTabMenu* Install(CMainFrame& frame);

    // The popup of the last right click (tests close it).
    QMenu* GetLastMenu() const { return m_pMenu; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit CMdiTabMenu(CMainFrame& frame);

    CMainFrame& m_frame;
    QMenu* m_pMenu = nullptr;
};
