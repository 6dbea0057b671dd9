// The modeless reminder "模块异常提醒" that slides up from the bottom-right
// corner of the work area when network modules are faulty, with their
// numbers and addresses and the quiet time the user confirms.
#pragma once

#include <QDialog>

#include <string>
#include <vector>

class CMSFlexGrid;
class QLineEdit;
class QTimer;

struct FaultModuleEntry {
    int nModule = 0; // 0-based
    std::string strAddress;
};

class CDlgModuleFaultAlert : public QDialog {
    Q_OBJECT
public:
    static constexpr int kWidth = 250;
    static constexpr int kHeight = 200;
    static constexpr int kStep = 8;
    static constexpr int kRows = 32;

    explicit CDlgModuleFaultAlert(QWidget* parent = nullptr);

    void SetQuietSeconds(int seconds) { m_nQuietSeconds = seconds; }
    int GetQuietSeconds() const { return m_nQuietSeconds; }
    // Refills the grid (at most 32 modules); an empty list slides the window out.
    void SetModuleList(const std::vector<FaultModuleEntry>& modules);
    void SlideIn();
    void SlideOut();
    void ClearConfirmed() { m_bClosedDuringSampling = false; }
    bool IsClosedDuringSampling() const { return m_bClosedDuringSampling; }
    int GetSlideHeight() const { return s_nSlideHeight; }
    bool IsSliding() const;
    CMSFlexGrid* GetGrid() const { return m_pGrid; }

    // One tick of the slide-in (1) or slide-out (2) timer.
    void OnTimer(int id);
    // "确认" and the quiet-time edit losing the focus.
    void OnConfirm();
    void ReadQuietTime();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void ResetGrid();
    void MoveToHeight(int height);

    int m_nQuietSeconds = 1;
    bool m_bClosedDuringSampling = false;
    // The slide height, one for every reminder of the process.
    static int s_nSlideHeight;
    CMSFlexGrid* m_pGrid = nullptr;
    QLineEdit* m_pQuiet = nullptr;
    QTimer* m_pSlideIn = nullptr;
    QTimer* m_pSlideOut = nullptr;
};
