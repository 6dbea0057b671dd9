// The modal dialog "继电器控制": the connected controllers with the state
// each relay should have; "设置" hands the whole table to the main frame
// (message 0x8E0) and the dialog stays open.
#pragma once

#include "model/RelayTable.h"
#include "platform/Message.h"

#include <QDialog>

#include <string>
#include <vector>

class CMSFlexGrid;

class CDlgRelayControl : public QDialog {
    Q_OBJECT
public:
    static constexpr platform::UINT kRelayMessage = 0x8E0;

    CDlgRelayControl(std::vector<std::string> controllers, platform::HWND mainWindow,
                     QWidget* parent = nullptr);

    void SetRelayTable(const RelayTable& table) { m_table = table; }
    const RelayTable& GetRelayTable() const { return m_table; }
    CMSFlexGrid* GetGrid() const { return m_pGrid; }

    void OnInitDialog();
    int exec() override;
    void OnGridClick();
    void OnSet();

private:
    std::vector<std::string> m_controllers;
    platform::HWND m_hMain;
    RelayTable m_table{};
    CMSFlexGrid* m_pGrid = nullptr;
};
