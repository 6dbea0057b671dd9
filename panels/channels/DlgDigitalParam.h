// The modal dialog "数字量参数设置": the list of digital-quantity channels (at
// most 8) with their names, units and descriptions, and the serial port they
// are read from.
#pragma once

#include "model/DigitalChannelRecord.h"

#include <QDialog>

#include <string>

class CMSFlexGrid;
class QComboBox;
class QLineEdit;
class QPushButton;

class CDlgDigitalParam : public QDialog {
    Q_OBJECT
public:
    explicit CDlgDigitalParam(QWidget* parent = nullptr);

    void SetChannels(int count, const DigitalChannelTable& table);
    void SetPort(int comPort, int baudRate);
    // The engineering-units file offered for the unit column.
    void SetUnitFile(const std::string& path) { m_strUnitFile = path; }
    void GetChannels(int& count, DigitalChannelTable& table) const;
    void GetPort(int& comPort, int& baudRate) const;
    CMSFlexGrid* GetGrid() const { return m_pGrid; }

    void OnInitDialog();
    int exec() override;
    void accept() override;
    void OnAdd();
    void OnModify();
    void OnDelete();
    // A click on a data cell: an editor over it (name, description) or the unit list.
    void OnGridClick();
    void OnEditDone();
    void OnUnitChosen(int index);

private:
    void FillGrid();
    void UpdateButtons();
    void TakeRow(int row);

    int m_nCount = 0;
    DigitalChannelTable m_table{};
    int m_nComPort = 1;
    int m_nBaudRate = 4800;
    int m_nEditRow = -1, m_nEditCol = -1;
    std::string m_strUnitFile;
    CMSFlexGrid* m_pGrid = nullptr;
    QLineEdit* m_pEdit = nullptr;
    QComboBox* m_pUnits = nullptr;
    QComboBox* m_pPort = nullptr;
    QComboBox* m_pBaud = nullptr;
    QPushButton* m_pAdd = nullptr;
    QPushButton* m_pDelete = nullptr;
};
