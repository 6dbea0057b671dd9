// The virtual-channel dialog: glue between its controls and CVirtualChannelEdit.
#include "panels/data/DlgVirtualChannel.h"

#include "model/ChannelNaming.h"
#include "model/GridEditRules.h"
#include "panels/channels/MsExternGrid.h"
#include "platform/MessageBox.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

constexpr int kMinRows = 20;
constexpr unsigned kWhite = 0xFFFFFF;
constexpr unsigned kYellow = 0x00FFFF;
constexpr const char* kCaption = "提示";

QPushButton* Button(const QString& text, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

} // namespace

CDlgVirtualChannel::CDlgVirtualChannel(QWidget* parent)
    : QDialog(parent),
      m_pEdit(std::make_unique<CVirtualChannelEdit>(std::vector<VirtualChannelRecord>{}, 0)) {
    setWindowTitle(QString::fromUtf8("虚拟通道设置"));
    BuildControls();
}

CDlgVirtualChannel::~CDlgVirtualChannel() = default;

void CDlgVirtualChannel::SetVirtualChannels(const std::vector<VirtualChannelRecord>& records, int count) {
    m_pEdit = std::make_unique<CVirtualChannelEdit>(records, count);
    m_pEdit->SetRange(m_range, m_pLayout);
}

void CDlgVirtualChannel::SetChannelRange(const FormulaChannelRange& range, const OnlineLayout* layout) {
    m_range = range;
    m_pLayout = layout;
    m_pEdit->SetRange(m_range, m_pLayout);
}

void CDlgVirtualChannel::BuildControls() {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString::fromUtf8("虚拟通道运算公式"), this));
    m_pFormula = new QLineEdit(this);
    m_pFormula->setObjectName("formula");
    layout->addWidget(m_pFormula);

    auto* grids = new QHBoxLayout;
    m_pVirtualGrid = new CMsExternGrid(this);
    m_pVirtualGrid->setObjectName("virtualChannels");
    m_pVirtualGrid->SetCols(3);
    m_pVirtualGrid->SetFormatString("序号|运算公式|通道标志");
    m_pVirtualGrid->SetColumnCount(3);
    m_pVirtualGrid->SetColumnEditKind(2, GRID_KIND_TEXT);
    m_pChannelGrid = new CMSFlexGrid(this);
    m_pChannelGrid->setObjectName("measuredChannels");
    m_pChannelGrid->SetCols(2);
    m_pChannelGrid->SetFormatString("通道号|单位");
    grids->addWidget(m_pVirtualGrid, 2);
    grids->addWidget(m_pChannelGrid, 1);
    layout->addLayout(grids);

    auto* keypad = new QGridLayout;
    const char* keys[] = {"7",   "8",   "9", "÷", "(", ")", "sqrt", "sin", "4", "5",   "6",   "×", "x^y", "π",
                          "cos", "tan", "1", "2", "3", "-", "0",    ".",   "+", "cot", "log", "←", "清空"};
    int index = 0;
    for (const char* key : keys) {
        const QString text = QString::fromUtf8(key);
        QPushButton* button = Button(text, "key" + text, this);
        keypad->addWidget(button, index / 8, index % 8);
        connect(button, &QPushButton::clicked, this, [this, key] { PressKey(key); });
        ++index;
    }
    layout->addLayout(keypad);

    auto* buttons = new QHBoxLayout;
    QPushButton* add = Button(QString::fromUtf8("增加(&A)"), "add", this);
    QPushButton* remove = Button(QString::fromUtf8("删除(&D)"), "delete", this);
    QPushButton* edit = Button(QString::fromUtf8("编辑(&E)"), "edit", this);
    QPushButton* apply = Button(QString::fromUtf8("应用/计算"), "apply", this);
    QPushButton* quit = Button(QString::fromUtf8("退出"), "quit", this);
    for (QPushButton* b : {add, remove, edit, apply, quit})
        buttons->addWidget(b);
    layout->addLayout(buttons);
    connect(add, &QPushButton::clicked, this, &CDlgVirtualChannel::OnAdd);
    connect(remove, &QPushButton::clicked, this, &CDlgVirtualChannel::OnDelete);
    connect(edit, &QPushButton::clicked, this, &CDlgVirtualChannel::OnEdit);
    connect(apply, &QPushButton::clicked, this, &CDlgVirtualChannel::OnApply);
    connect(quit, &QPushButton::clicked, this, &CDlgVirtualChannel::reject);

    connect(m_pVirtualGrid, &CMsExternGrid::CellChanged, this, [this](int row, int col) {
        if (col == 2 && row >= 1)
            m_pEdit->SetTag(row, m_pVirtualGrid->GetTextMatrix(row, 2));
        ShowRows();
    });
    connect(m_pVirtualGrid, &CMSFlexGrid::DblClick, this, [this] {
        const int previous = m_pEdit->EditedRow();
        std::string formula;
        if (!m_pEdit->SelectRow(m_pVirtualGrid->GetRow(), formula))
            return;
        MarkEditedRow(previous);
        m_pFormula->setText(QString::fromStdString(formula));
        m_pFormula->setCursorPosition(m_pFormula->text().size());
    });
    connect(m_pChannelGrid, &CMSFlexGrid::DblClick, this, [this] {
        const int row = m_pChannelGrid->GetRow();
        if (row < 1 || row > static_cast<int>(m_measured.size()))
            return;
        const int channel = m_measured[row - 1].nChannel;
        if (channel < m_range.nFirst || channel > m_range.nLast)
            return;
        m_pFormula->insert(QString("ch%1").arg(channel + 1));
        m_pFormula->setFocus();
    });
}

void CDlgVirtualChannel::OnInitDialog() {
    const int rows = std::max(kMinRows, static_cast<int>(m_measured.size()));
    m_pChannelGrid->SetRows(rows + 1);
    for (int i = 0; i < static_cast<int>(m_measured.size()); ++i) {
        const MeasuredChannel& c = m_measured[i];
        m_pChannelGrid->SetTextMatrix(
            i + 1, 0, FormatChannelName(c.nChannel) + "(ch" + std::to_string(c.nChannel + 1) + ")");
        m_pChannelGrid->SetTextMatrix(i + 1, 1, c.strUnit);
    }
    ShowRows();
}

int CDlgVirtualChannel::exec() {
    OnInitDialog();
    return QDialog::exec();
}

void CDlgVirtualChannel::ShowRows() {
    const std::vector<VirtualChannelRow>& rows = m_pEdit->Rows();
    const QSignalBlocker blocker(m_pVirtualGrid);
    m_pVirtualGrid->SetRows(std::max(kMinRows, static_cast<int>(rows.size())) + 1);
    for (int r = 1; r < m_pVirtualGrid->GetRows(); ++r) {
        const bool used = r <= static_cast<int>(rows.size());
        m_pVirtualGrid->SetTextMatrix(r, 0, used ? std::to_string(r) : std::string());
        m_pVirtualGrid->SetTextMatrix(r, 1, used ? rows[r - 1].strFormula : std::string());
        m_pVirtualGrid->SetTextMatrix(r, 2, used ? rows[r - 1].strTag : std::string());
        m_pVirtualGrid->SetCellBackColor(r, 1, r == m_pEdit->EditedRow() ? kYellow : kWhite);
    }
}

void CDlgVirtualChannel::MarkEditedRow(int previous) {
    if (previous >= 1 && previous < m_pVirtualGrid->GetRows())
        m_pVirtualGrid->SetCellBackColor(previous, 1, kWhite);
    if (m_pEdit->EditedRow() >= 1)
        m_pVirtualGrid->SetCellBackColor(m_pEdit->EditedRow(), 1, kYellow);
}

void CDlgVirtualChannel::PressKey(const std::string& key) {
    std::string text = m_pFormula->text().toStdString();
    int start = m_pFormula->hasSelectedText() ? m_pFormula->selectionStart() : m_pFormula->cursorPosition();
    int length = static_cast<int>(m_pFormula->selectedText().toStdString().size());
    CVirtualChannelEdit::ApplyKey(key, text, start, length);
    m_pFormula->setText(QString::fromStdString(text));
    m_pFormula->setCursorPosition(start);
    m_pFormula->setFocus();
}

void CDlgVirtualChannel::OnAdd() {
    std::string message;
    if (!m_pEdit->Add(m_pFormula->text().toStdString(), message)) {
        if (message == VIRTUAL_TOO_MANY)
            platform::MessageBox(message, kCaption, platform::MB_OK);
        else
            Warn(message);
        return;
    }
    ShowRows();
}

void CDlgVirtualChannel::OnEdit() {
    std::string message;
    if (!m_pEdit->Edit(m_pFormula->text().toStdString(), message)) {
        Warn(message);
        return;
    }
    ShowRows();
}

void CDlgVirtualChannel::OnDelete() {
    const int edited = m_pEdit->EditedRow();
    if (edited < 1 || edited > m_pEdit->Count())
        return;
    if (platform::MessageBox("是否确认删除数据?", kCaption, platform::MB_YESNO | platform::MB_ICONQUESTION) !=
        platform::IDYES)
        return;
    const std::string formula = m_pEdit->Rows()[edited - 1].strFormula;
    m_pEdit->DeleteEdited();
    if (CVirtualChannelEdit::PrepareFormula(m_pFormula->text().toStdString()) == formula)
        m_pFormula->clear();
    ShowRows();
}

void CDlgVirtualChannel::OnApply() {
    m_pVirtualGrid->CloseEditor();
    const std::string refusal = m_pEdit->CheckTags();
    if (!refusal.empty()) {
        Warn(refusal);
        return;
    }
    accept();
}

void CDlgVirtualChannel::Warn(const std::string& text) {
    if (!text.empty())
        platform::MessageBox(text, kCaption, platform::MB_OK);
}
