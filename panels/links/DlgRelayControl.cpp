// The relay control dialog.
#include "panels/links/DlgRelayControl.h"

#include "widgets/DialogControls.h"
#include "widgets/GridMarks.h"
#include "widgets/MSFlexGrid.h"

#include <QHBoxLayout>
#include <QProgressBar>
#include <QVBoxLayout>

#include <cstring>

CDlgRelayControl::CDlgRelayControl(std::vector<std::string> controllers, platform::HWND mainWindow,
                                   QWidget* parent)
    : QDialog(parent), m_controllers(std::move(controllers)), m_hMain(mainWindow) {
    setWindowTitle(QString::fromUtf8("继电器控制"));
    m_pGrid = new CMSFlexGrid(this);
    m_pGrid->setObjectName(ControlName(1448));
    auto* progress = new QProgressBar(this);
    progress->setObjectName(ControlName(1449));
    progress->hide();
    auto* set = NewDialogButton("设置", 1, this);
    auto* quit = NewDialogButton("退出", 2, this);
    auto* buttons = NewButtonRow({set, quit}, progress);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pGrid);
    layout->addLayout(buttons);
    resize(460, 360);
    connect(m_pGrid, &CMSFlexGrid::Click, this, [this] { OnGridClick(); });
    connect(set, &QPushButton::clicked, this, [this] { OnSet(); });
    connect(quit, &QPushButton::clicked, this, [this] { reject(); });
}

void CDlgRelayControl::OnInitDialog() {
    const int count = static_cast<int>(std::min<std::size_t>(m_controllers.size(), kRelayRecordCount));
    m_pGrid->SetCols(3);
    m_pGrid->SetRows(count + 1);
    m_pGrid->SetFormatString("^  序号  |^        控制器IP        |^      继电器状态");
    for (int r = 1; r <= count; ++r) {
        const std::string& address = m_controllers[static_cast<std::size_t>(r - 1)];
        bool on = false;
        for (const RelayRecord& record : m_table)
            on = on || (record.nState == 1 &&
                        address == std::string(record.szAddress, strnlen(record.szAddress, 16)));
        m_pGrid->SetTextMatrix(r, 0, std::to_string(r));
        m_pGrid->SetTextMatrix(r, 1, address);
        m_pGrid->SetTextMatrix(r, 2, MarkText(on));
    }
}

int CDlgRelayControl::exec() {
    OnInitDialog();
    return QDialog::exec();
}

void CDlgRelayControl::OnGridClick() {
    ToggleMarks(*m_pGrid, 2);
}

void CDlgRelayControl::OnSet() {
    for (int r = 1; r < m_pGrid->GetRows() && r <= kRelayRecordCount; ++r) {
        RelayRecord& record = m_table[static_cast<std::size_t>(r - 1)];
        std::memset(record.szAddress, 0, sizeof record.szAddress);
        const std::string address = m_pGrid->GetTextMatrix(r, 1).substr(0, 15);
        std::memcpy(record.szAddress, address.data(), address.size());
        record.nState = m_pGrid->GetTextMatrix(r, 2) == MarkText(true) ? 1 : 0;
    }
    platform::SendMessage(m_hMain, kRelayMessage, 0, reinterpret_cast<platform::LPARAM>(m_table.data()));
}
