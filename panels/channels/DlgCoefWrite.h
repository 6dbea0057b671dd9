// The service dialog "系数写入": the correction coefficients of one channel
// (full-scale per range, constant current, bridge voltage per voltage) as the
// hardware reported them, edited in three grids and written back to the
// channel's case row by row.
#pragma once

#include "acquisition/CoefficientWrite.h"

#include <QDialog>

#include <functional>
#include <string>

class CCommBase;
class CMSFlexGrid;
class QComboBox;
class QPlainTextEdit;

class CDlgCoefWrite : public QDialog {
    Q_OBJECT
public:
    // The grids in the order of their edit state: 1 full scale, 2 constant current, 3 bridge voltage.
    enum Grid { kFullScale = 1, kCurrent = 2, kBridge = 3 };

    explicit CDlgCoefWrite(QWidget* parent = nullptr);
    ~CDlgCoefWrite() override;

    void SetCommBase(CCommBase* comm) { m_pComm = comm; }
    void SetInstrumentFile(const std::string& path) { m_strInstrumentFile = path; }
    // The channel-information library by default; tests give their own.
    void SetCoefficientSource(ICoefficientSource* source) { m_pSource = source; }
    // Waits between two coefficients (200 ms by default).
    void SetPause(std::function<void()> pause) { m_pause = std::move(pause); }

    void OnInitDialog();
    int exec() override;

    void OnChannelChanged();
    void OnReadChannelInfo();
    // The write buttons: 1418, 1420, 1432.
    void OnWrite(Grid grid);
    // A click and a double click on a grid, at its current cell and selection.
    void OnGridClick(Grid grid);
    void OnGridDblClick(Grid grid);
    // The in-place editor lost the focus: its lines go into the selected rows.
    void OnEditorDone();

    CMSFlexGrid* GetGrid(Grid grid) const;
    const ChannelCoefficients& GetLists() const { return m_lists; }
    // The selected channel's number, -1 when none.
    int GetSelectedChannel() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillGrids();
    void FillGrid(CMSFlexGrid* grid, const std::vector<CoefficientEntry>& entries, int count);

    CCommBase* m_pComm = nullptr;
    std::string m_strInstrumentFile;
    ICoefficientSource* m_pSource = nullptr;
    std::function<void()> m_pause;
    ChannelCoefficients m_lists;
    // The edit state of the coefficient column.
    int m_nEditGrid = 0;
    int m_nEditFirstRow = 0;
    int m_nEditLastRow = 0;

    QComboBox* m_pChannel = nullptr;
    CMSFlexGrid* m_pFullGrid = nullptr;
    CMSFlexGrid* m_pCurrentGrid = nullptr;
    CMSFlexGrid* m_pBridgeGrid = nullptr;
    QPlainTextEdit* m_pEditor = nullptr;
};
