// The parameter download dialog.
#include "panels/links/DlgParamDownload.h"

#include "model/AppSettings.h"
#include "model/GridEditRules.h"
#include "panels/channels/MsExternGrid.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/Profile.h"
#include "platform/Text.h"
#include "widgets/DialogControls.h"
#include "widgets/GridMarks.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include <cstdlib>

namespace {

constexpr const char* kCaption = "参数下传";

std::string Section(int channel) {
    return platform::Format("ChannelID%d", channel);
}

// An empty text is 0; anything else must be a number as a whole.
bool ReadNumber(const std::string& text, float& value) {
    const std::size_t first = text.find_first_not_of(" \t");
    const std::string trimmed = first == std::string::npos
                                    ? std::string()
                                    : text.substr(first, text.find_last_not_of(" \t") - first + 1);
    if (trimmed.empty()) {
        value = 0.0f;
        return true;
    }
    char* end = nullptr;
    value = std::strtof(trimmed.c_str(), &end);
    return end != nullptr && *end == '\0';
}

} // namespace

CDlgParamDownload::CDlgParamDownload(const std::string& programFolder, QWidget* parent)
    : QDialog(parent), m_strFile(platform::JoinPath(programFolder, "down.pam")) {
    setWindowTitle(QString::fromUtf8(kCaption));
    m_pGrid = new CMsExternGrid(this);
    m_pGrid->setObjectName(ControlName(1472));
    auto* import = NewDialogButton("导入零点", 1474, this);
    auto* download = NewDialogButton("下传", 1, this);
    auto* quit = NewDialogButton("退出", 2, this);
    auto* buttons = NewButtonRow({download, quit}, import);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pGrid);
    layout->addLayout(buttons);
    resize(420, 420);
    connect(m_pGrid, &CMSFlexGrid::Click, this, [this] { OnGridClick(); });
    connect(import, &QPushButton::clicked, this, [this] { OnImportZeros(); });
    connect(download, &QPushButton::clicked, this, [this] { accept(); });
    connect(quit, &QPushButton::clicked, this, [this] { reject(); });
}

void CDlgParamDownload::OnInitDialog() {
    m_zero.clear();
    m_correct.clear();
    for (int channel : m_channels) {
        m_zero.push_back(platform::GetPrivateProfileString(Section(channel), "Zero", "", m_strFile));
        m_correct.push_back(platform::GetPrivateProfileString(Section(channel), "Correct", "", m_strFile));
    }
    m_selected.assign(m_channels.size(), true);
    m_pGrid->SetCols(5);
    m_pGrid->SetRows(static_cast<int>(m_channels.size()) + 1);
    m_pGrid->SetFormatString("^|^  |^通道 |^零点 |^修正 ");
    m_pGrid->setColumnWidth(1, 500 / 15);
    for (int col = 2; col <= 4; ++col)
        m_pGrid->setColumnWidth(col, 1500 / 15);
    m_pGrid->SetColumnCount(5);
    m_pGrid->SetColumnEditKind(3, GRID_KIND_DECIMAL);
    m_pGrid->SetColumnEditKind(4, GRID_KIND_DECIMAL);
    FillGrid();
}

void CDlgParamDownload::FillGrid() {
    for (std::size_t i = 0; i < m_channels.size(); ++i) {
        const int row = static_cast<int>(i) + 1, channel = m_channels[i];
        m_pGrid->SetTextMatrix(row, 1, MarkText(m_selected[i]));
        m_pGrid->SetTextMatrix(row, 2, platform::Format("%d-%d", channel / 16 + 1, channel % 16 + 1));
        m_pGrid->SetTextMatrix(row, 3, m_zero[i]);
        m_pGrid->SetTextMatrix(row, 4, m_correct[i]);
    }
}

int CDlgParamDownload::exec() {
    OnInitDialog();
    return QDialog::exec();
}

void CDlgParamDownload::OnGridClick() {
    ToggleMarks(*m_pGrid, 1);
}

void CDlgParamDownload::OnImportZeros() {
    for (std::size_t i = 0; i < m_channels.size(); ++i) {
        m_selected[i] = m_pGrid->GetTextMatrix(static_cast<int>(i) + 1, 1) == MarkText(true);
        m_correct[i] = m_pGrid->GetTextMatrix(static_cast<int>(i) + 1, 4);
        m_zero[i] = std::to_string(m_zeroOf ? m_zeroOf(m_channels[i]) : 0);
    }
    FillGrid();
}

void CDlgParamDownload::accept() {
    m_pGrid->CloseEditor();
    m_result.clear();
    for (std::size_t i = 0; i < m_channels.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        m_selected[i] = m_pGrid->GetTextMatrix(row, 1) == MarkText(true);
        m_zero[i] = m_pGrid->GetTextMatrix(row, 3);
        m_correct[i] = m_pGrid->GetTextMatrix(row, 4);
        if (!m_selected[i])
            continue;
        DownloadEntry entry;
        entry.nChannel = m_channels[i];
        if (!ReadNumber(m_zero[i], entry.fZero) || !ReadNumber(m_correct[i], entry.fCorrect)) {
            m_result.clear();
            platform::MessageBox(
                "通道" + m_pGrid->GetTextMatrix(row, 2) + "的零点或修正值不是数字，请重新设置。", kCaption);
            return;
        }
        m_result.push_back(entry);
    }
    if (m_result.empty()) {
        platform::MessageBox("未选择下传参数通道，请重新设置。", kCaption);
        return;
    }
    for (std::size_t i = 0; i < m_channels.size(); ++i) {
        platform::WritePrivateProfileString(Section(m_channels[i]), "Zero", m_zero[i], m_strFile);
        platform::WritePrivateProfileString(Section(m_channels[i]), "Correct", m_correct[i], m_strFile);
    }
    QDialog::accept();
}
