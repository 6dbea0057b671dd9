// The digital-quantity parameters dialog.
#include "panels/channels/DlgDigitalParam.h"

#include "model/GbkTextCut.h"
#include "panels/bars/ChannelBarContext.h"
#include "platform/Text.h"
#include "widgets/DialogControls.h"
#include "widgets/MSFlexGrid.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <cstring>

namespace {

const int kBauds[] = {1200, 2400, 4800, 9600, 14400, 19200};
constexpr int kNameCol = 2, kUnitCol = 3, kDescriptionCol = 4;

// At most 63 bytes in the field and 63 in its GBK form, whole characters only.
void StoreText(char (&field)[64], const std::string& text) {
    std::string cut = CutToGbkLength(text, 63);
    while (cut.size() > 63) {
        std::size_t end = cut.size() - 1;
        while (end > 0 && (static_cast<unsigned char>(cut[end]) & 0xC0) == 0x80)
            --end;
        cut.resize(end);
    }
    std::memset(field, 0, sizeof field);
    std::memcpy(field, cut.data(), cut.size());
}

std::string TextOf(const char (&field)[64]) {
    return std::string(field, strnlen(field, sizeof field));
}

} // namespace

CDlgDigitalParam::CDlgDigitalParam(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("数字量参数设置"));
    m_pGrid = new CMSFlexGrid(this);
    m_pGrid->setObjectName(ControlName(1403));
    m_pEdit = NewDialogEdit(1045, m_pGrid->viewport());
    m_pEdit->hide();
    m_pUnits = new QComboBox(m_pGrid->viewport());
    m_pUnits->setObjectName(ControlName(1012));
    m_pUnits->hide();
    m_pAdd = NewDialogButton("添加", 1404, this);
    auto* modify = NewDialogButton("修改", 1405, this);
    m_pDelete = NewDialogButton("删除", 1406, this);
    auto* ok = NewDialogButton("确定", 1, this);
    auto* portBox = new QGroupBox(QString::fromUtf8("端口设置"), this);
    m_pPort = new QComboBox(portBox);
    m_pPort->setObjectName(ControlName(1022));
    m_pBaud = new QComboBox(portBox);
    m_pBaud->setObjectName(ControlName(1407));
    auto* portLayout = new QGridLayout(portBox);
    portLayout->addWidget(NewDialogLabel("端口号：", portBox), 0, 0);
    portLayout->addWidget(m_pPort, 0, 1);
    portLayout->addWidget(NewDialogLabel("波特率：", portBox), 1, 0);
    portLayout->addWidget(m_pBaud, 1, 1);
    auto* buttons = new QVBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(m_pAdd), static_cast<QWidget*>(modify),
                       static_cast<QWidget*>(m_pDelete), static_cast<QWidget*>(portBox)})
        buttons->addWidget(w);
    buttons->addStretch();
    buttons->addWidget(ok);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_pGrid, 1);
    layout->addLayout(buttons);
    resize(640, 360);

    connect(m_pGrid, &CMSFlexGrid::Click, this, [this] { OnGridClick(); });
    connect(m_pEdit, &QLineEdit::editingFinished, this, [this] { OnEditDone(); });
    connect(m_pUnits, qOverload<int>(&QComboBox::activated), this, [this](int i) { OnUnitChosen(i); });
    connect(m_pAdd, &QPushButton::clicked, this, [this] { OnAdd(); });
    connect(modify, &QPushButton::clicked, this, [this] { OnModify(); });
    connect(m_pDelete, &QPushButton::clicked, this, [this] { OnDelete(); });
    connect(ok, &QPushButton::clicked, this, [this] { accept(); });
}

void CDlgDigitalParam::SetChannels(int count, const DigitalChannelTable& table) {
    m_nCount = std::clamp(count, 0, kMaxDigitalChannels);
    m_table = table;
}

void CDlgDigitalParam::SetPort(int comPort, int baudRate) {
    m_nComPort = comPort;
    m_nBaudRate = baudRate;
}

void CDlgDigitalParam::GetChannels(int& count, DigitalChannelTable& table) const {
    count = m_nCount;
    table = m_table;
}

void CDlgDigitalParam::GetPort(int& comPort, int& baudRate) const {
    comPort = m_nComPort;
    baudRate = m_nBaudRate;
}

void CDlgDigitalParam::OnInitDialog() {
    m_pGrid->SetCols(5);
    m_pPort->clear();
    for (int n = 1; n <= 8; ++n)
        m_pPort->addItem(QStringLiteral("COM %1").arg(n));
    m_pPort->setCurrentIndex(m_nComPort - 1);
    m_pBaud->clear();
    int chosen = -1;
    for (int i = 0; i < 6; ++i) {
        m_pBaud->addItem(QString::number(kBauds[i]));
        if (kBauds[i] == m_nBaudRate)
            chosen = i;
    }
    m_pBaud->setCurrentIndex(chosen);
    FillGrid();
}

int CDlgDigitalParam::exec() {
    OnInitDialog();
    return QDialog::exec();
}

void CDlgDigitalParam::FillGrid() {
    m_pGrid->SetRows(m_nCount + 1);
    m_pGrid->SetFormatString("^|^  序号|^        名称|^    单位|^          描述");
    for (int r = 1; r <= m_nCount; ++r) {
        const DigitalChannelRecord& record = m_table[static_cast<std::size_t>(r - 1)];
        m_pGrid->SetTextMatrix(r, 1, std::to_string(r));
        m_pGrid->SetTextMatrix(r, kNameCol, TextOf(record.szName));
        m_pGrid->SetTextMatrix(r, kUnitCol, TextOf(record.szUnit));
        m_pGrid->SetTextMatrix(r, kDescriptionCol, TextOf(record.szDescription));
    }
    UpdateButtons();
}

void CDlgDigitalParam::UpdateButtons() {
    m_pAdd->setEnabled(m_nCount < kMaxDigitalChannels);
    m_pDelete->setEnabled(m_nCount > 0);
}

void CDlgDigitalParam::OnAdd() {
    if (m_nCount >= kMaxDigitalChannels)
        return;
    DigitalChannelRecord& record = m_table[static_cast<std::size_t>(m_nCount)];
    record = DigitalChannelRecord{};
    ++m_nCount;
    record.nIndex = m_nCount - 1;
    StoreText(record.szName, platform::Format("数字量%d", m_nCount));
    FillGrid();
}

void CDlgDigitalParam::TakeRow(int row) {
    DigitalChannelRecord& record = m_table[static_cast<std::size_t>(row - 1)];
    record.nIndex = row - 1;
    StoreText(record.szName, m_pGrid->GetTextMatrix(row, kNameCol));
    StoreText(record.szUnit, m_pGrid->GetTextMatrix(row, kUnitCol));
    StoreText(record.szDescription, m_pGrid->GetTextMatrix(row, kDescriptionCol));
}

void CDlgDigitalParam::OnModify() {
    m_pEdit->hide();
    const int row = m_pGrid->GetRow();
    if (row >= 1 && row <= m_nCount)
        TakeRow(row);
}

void CDlgDigitalParam::OnDelete() {
    const int row = m_pGrid->GetRow();
    if (m_nCount == 0 || row < 1 || row > m_nCount)
        return;
    for (int i = row - 1; i + 1 < m_nCount; ++i)
        m_table[static_cast<std::size_t>(i)] = m_table[static_cast<std::size_t>(i + 1)];
    m_table[static_cast<std::size_t>(m_nCount - 1)] = DigitalChannelRecord{};
    --m_nCount;
    FillGrid();
}

void CDlgDigitalParam::OnGridClick() {
    m_pEdit->hide();
    m_pUnits->hide();
    const int row = m_pGrid->GetRow(), col = m_pGrid->GetCol();
    if (row != m_pGrid->GetRowSel() || col != m_pGrid->GetColSel() || row < 1 || row > m_nCount ||
        col < kNameCol)
        return;
    m_nEditRow = row;
    m_nEditCol = col;
    const QRect cell = m_pGrid->GetCellRect(row, col);
    if (col == kUnitCol) {
        const std::vector<std::string> units = LoadEngineeringUnits(m_strUnitFile);
        if (units.empty())
            return; // no units file: no list
        m_pUnits->clear();
        for (const std::string& unit : units)
            m_pUnits->addItem(QString::fromStdString(unit));
        m_pUnits->setCurrentIndex(
            m_pUnits->findText(QString::fromStdString(m_pGrid->GetTextMatrix(row, col))));
        m_pUnits->setGeometry(cell);
        m_pUnits->show();
        m_pUnits->setFocus();
        return;
    }
    m_pEdit->setText(QString::fromStdString(m_pGrid->GetTextMatrix(row, col)));
    m_pEdit->setGeometry(cell);
    m_pEdit->show();
    m_pEdit->setFocus();
}

void CDlgDigitalParam::OnEditDone() {
    if (!m_pEdit->isVisible() || m_nEditRow < 1 || m_nEditRow > m_nCount)
        return;
    m_pGrid->SetTextMatrix(m_nEditRow, m_nEditCol, m_pEdit->text().toStdString());
    m_pEdit->hide();
}

void CDlgDigitalParam::OnUnitChosen(int index) {
    if (index < 0 || m_nEditRow < 1 || m_nEditRow > m_nCount)
        return;
    const std::string unit = m_pUnits->itemText(index).toStdString();
    m_pGrid->SetTextMatrix(m_nEditRow, kUnitCol, unit);
    StoreText(m_table[static_cast<std::size_t>(m_nEditRow - 1)].szUnit, unit);
    m_pUnits->hide();
}

void CDlgDigitalParam::accept() {
    OnEditDone();
    m_nComPort = m_pPort->currentIndex() + 1;
    // A stored rate missing from the list stays unless one is chosen.
    if (m_pBaud->currentIndex() >= 0)
        m_nBaudRate = kBauds[m_pBaud->currentIndex()];
    for (int r = 1; r <= m_nCount; ++r)
        TakeRow(r);
    QDialog::accept();
}
