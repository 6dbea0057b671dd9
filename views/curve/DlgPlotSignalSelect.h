// The signal-selection dialog "信号选择": two lists with move buttons, the
// signal kinds, the drawing modes, and for XY drawing a reference signal
// fixed as X or as Y. The curve view fills it, runs it and takes it back.
#pragma once

#include "views/curve/CurveWorld.h"

#include <QDialog>

#include <string>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QListWidget;
class QPushButton;
class QRadioButton;

class CDlgPlotSignalSelect : public QDialog {
    Q_OBJECT
public:
    explicit CDlgPlotSignalSelect(const CurveWorld& world, QWidget* parent = nullptr);

    // Fills the lists and controls from the members (the dialog's opening).
    void InitDialog();
    // ">", "<", ">>", "<<" and double clicks.
    void AddSelected();
    void RemoveSelected();
    void AddAll();
    void RemoveAll();
    void SetKind(int kind);
    void SetMode(int mode);
    void SetReference(bool asX, bool on);
    // The OK button: true when the dialog closed with OK.
    bool TryAccept();

    int m_nSignalKind = 1;
    int m_nPlotMode = 1;
    int m_nSignalCount = 0;
    std::vector<int> m_SignalIds;
    int m_bXYRef = 0;
    int m_nXYRefId = -1;
    int m_nXYRefIndex = -1;
    int m_bXYRefIsX = 0;

    QListWidget* Available() const { return m_available; }
    QListWidget* Chosen() const { return m_chosen; }
    QComboBox* XBox() const { return m_xBox; }
    QComboBox* YBox() const { return m_yBox; }
    QRadioButton* KindButton(int kind) const;
    QRadioButton* ModeButton(int mode) const;
    QCheckBox* XCheck() const { return m_xCheck; }
    QCheckBox* YCheck() const { return m_yCheck; }

private:
    void FillAvailable();
    void ApplyKindRules();
    void ApplyXYEnabling();
    std::vector<int> ChosenIds() const;
    void MoveToChosen(const std::vector<int>& rows);

    const CurveWorld& m_world;
    QListWidget* m_available;
    QListWidget* m_chosen;
    QRadioButton* m_kindWave;
    QRadioButton* m_kindRosette;
    QRadioButton* m_kindResidual;
    QRadioButton* m_kindThermal;
    QRadioButton* m_modes[3];
    QCheckBox* m_xCheck;
    QCheckBox* m_yCheck;
    QComboBox* m_xBox;
    QComboBox* m_yBox;
};
