// The modeless "定位数据" window of the main frame: a slider over the stored
// samples that moves the attached data window (and, when asked, every open
// table and curve window) to the sample it points at. It moves nothing
// while a run samples or is paused, or while no data window is open.
#pragma once

#include <QDialog>
#include <QPointer>

#include <functional>

class QCheckBox;
class QSlider;
class CQV7411N_NewFrameDoc;

class CDlgLocateData : public QDialog {
    Q_OBJECT
public:
    explicit CDlgLocateData(QWidget* parent = nullptr);

    // The window the slider moves: its widget (whose lifetime the dialog
    // watches), its document and its kind (1 the main view; 2 and 3 are
    // accepted too; any other kind detaches).
    void AttachView(QWidget* view, CQV7411N_NewFrameDoc* document, int kind);
    void InitSlider(int position, int pageSize, int maximum);
    int GetPosition() const { return m_nPosition; }
    bool IsSyncAll() const;

    // Runs when the window closes (the frame clears its open flag).
    std::function<void()> onClosed;

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void OnScroll(int position);

    QSlider* m_slider = nullptr;    // 1000
    QCheckBox* m_syncAll = nullptr; // 1435
    QPointer<QWidget> m_view;
    CQV7411N_NewFrameDoc* m_pDocument = nullptr;
    int m_nViewKind = 0;
    int m_nPosition = 0;
};
