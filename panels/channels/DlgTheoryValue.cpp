// The theory values dialog.
#include "panels/channels/DlgTheoryValue.h"

#include "model/AppSettings.h"
#include "model/ChannelNaming.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"
#include "widgets/DialogControls.h"
#include "widgets/MSFlexGrid.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QVBoxLayout>

#include <cstdlib>

namespace {

constexpr const char* kAll = "All";
constexpr const char* kFilter = "理论值设置文件 (*.try)|*.try||";
constexpr const char* kValueHeadings = "^序号|^理论值";
constexpr const char* kDescriptionHeadings = "^序号|^采样描述";

void NumberRows(CMSFlexGrid* grid, const char* headings, int count) {
    grid->clearContents();
    grid->SetFormatString(headings);
    grid->SetRows(count + 1);
    for (int i = 1; i <= count; ++i)
        grid->SetTextMatrix(i, 0, std::to_string(i));
}

std::string StripTryExtension(const std::string& name) {
    const std::string::size_type dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

} // namespace

CDlgTheoryValue::CDlgTheoryValue(const std::string& programFolder, QWidget* parent)
    : QDialog(parent), m_strProgramFolder(programFolder) {
    setWindowTitle(QString::fromUtf8("理论值设置"));
    m_pList = new QListWidget(this);
    m_pList->setObjectName(ControlName(1492));
    m_pList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pValues = new CMSFlexGrid(this);
    m_pValues->setObjectName(ControlName(1074));
    m_pDescriptions = new CMSFlexGrid(this);
    m_pDescriptions->setObjectName(ControlName(1075));
    m_pCount = NewDialogEdit(1045, this);
    m_pCount->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), m_pCount));
    m_pValueEditor = NewDialogEdit(1046, m_pValues->viewport());
    m_pDescriptionEditor = NewDialogEdit(1047, m_pDescriptions->viewport());
    auto* setValues = NewDialogButton("设置理论值", 1490, this);
    auto* setDescriptions = NewDialogButton("设置采样描述", 1493, this);
    auto* save = NewDialogButton("保存", 1488, this);
    auto* saveAs = NewDialogButton("另存为", 1489, this);
    auto* open = NewDialogButton("打开文件", 1491, this);
    auto* ok = NewDialogButton("确定", 1, this);
    auto* cancel = NewDialogButton("取消", 2, this);

    auto* grids = new QGridLayout;
    grids->addWidget(m_pList, 0, 0, 2, 1);
    grids->addWidget(m_pValues, 0, 1);
    grids->addWidget(m_pDescriptions, 0, 2);
    auto* countRow = new QHBoxLayout;
    countRow->addWidget(NewDialogLabel("理论值个数：", this));
    countRow->addWidget(m_pCount);
    countRow->addWidget(setValues);
    countRow->addWidget(setDescriptions);
    grids->addLayout(countRow, 1, 1, 1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grids);
    layout->addLayout(NewButtonRow({save, saveAs, open, ok, cancel}));

    connect(setValues, &QPushButton::clicked, this, [this] { OnSetTheoryValues(); });
    connect(setDescriptions, &QPushButton::clicked, this, [this] { OnSetDescriptions(); });
    connect(save, &QPushButton::clicked, this, [this] { OnSave(); });
    connect(saveAs, &QPushButton::clicked, this, [this] { OnSaveAs(); });
    connect(open, &QPushButton::clicked, this, [this] { OnOpenFile(); });
    connect(ok, &QPushButton::clicked, this, [this] { accept(); });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    // A click on another entry changes the row first; a click on the
    // selected entry is a selection notice of its own.
    connect(m_pList, &QListWidget::currentRowChanged, this, [this](int row) {
        m_bRowJustChanged = true;
        OnSelChange(row);
    });
    connect(m_pList, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (m_bRowJustChanged) {
            m_bRowJustChanged = false;
            return;
        }
        OnSelChange(m_pList->row(item));
    });
    for (auto [grid, editor] :
         {std::pair{m_pValues, m_pValueEditor}, {m_pDescriptions, m_pDescriptionEditor}}) {
        connect(grid, &CMSFlexGrid::Click, this,
                [this, grid = grid, editor = editor] { OpenEditor(grid, editor); });
        connect(editor, &QLineEdit::editingFinished, this, [grid = grid, editor = editor] {
            if (!editor->isVisible())
                return;
            grid->SetTextMatrix(grid->GetRow(), grid->GetCol(), editor->text().toStdString());
            editor->hide();
        });
        connect(grid->verticalScrollBar(), &QScrollBar::valueChanged, editor, &QWidget::hide);
    }
}

QString CDlgTheoryValue::EntryText(int channel) const {
    if (channel == THEORY_ALL_CHANNELS)
        return QString::fromUtf8(kAll);
    for (const ChannelEntry& entry : m_Channels)
        if (entry.nChannel == channel)
            return QString::fromStdString(FormatChannelName(channel) + "[" + entry.strDescription + "]");
    return QString();
}

bool CDlgTheoryValue::IsChecked(const QString& text) const {
    for (int row = 0; row < m_pList->count(); ++row)
        if (m_pList->item(row)->text() == text && m_pList->item(row)->checkState() == Qt::Checked)
            return true;
    return false;
}

int CDlgTheoryValue::KeyOfEntry(int index) const {
    const QString text = m_pList->item(index)->text();
    if (text == QString::fromUtf8(kAll))
        return THEORY_ALL_CHANNELS;
    return ParseChannelName(text.section('[', 0, 0).toStdString());
}

bool CDlgTheoryValue::IsEntryChecked(int index) const {
    return index >= 0 && index < m_pList->count() && m_pList->item(index)->checkState() == Qt::Checked;
}

void CDlgTheoryValue::ResetValueGrid() {
    NumberRows(m_pValues, kValueHeadings, 0);
    m_pValues->SetRows(2);
}

void CDlgTheoryValue::ShowGroup(const std::vector<float>& values) {
    NumberRows(m_pValues, kValueHeadings, int(values.size()));
    m_pCount->setText(QString::number(values.size()));
    for (std::size_t i = 0; i < values.size(); ++i)
        m_pValues->SetTextMatrix(int(i) + 1, 1, platform::Format("%.3f", double(values[i])));
}

std::vector<float> CDlgTheoryValue::GridValues() const {
    std::vector<float> values;
    for (int row = 1; row < m_pValues->GetRows(); ++row)
        values.push_back(static_cast<float>(std::atof(m_pValues->GetTextMatrix(row, 1).c_str())));
    return values;
}

void CDlgTheoryValue::StoreCurrentGroup() {
    if (IsEntryChecked(m_nCurIndex))
        m_Table[KeyOfEntry(m_nCurIndex)] = GridValues();
}

void CDlgTheoryValue::ShowDescriptions() {
    NumberRows(m_pDescriptions, kDescriptionHeadings, int(m_Descriptions.size()));
    for (std::size_t i = 0; i < m_Descriptions.size(); ++i)
        m_pDescriptions->SetTextMatrix(int(i) + 1, 1, m_Descriptions[i]);
}

void CDlgTheoryValue::OnInitDialog() {
    m_pValueEditor->hide();
    m_pDescriptionEditor->hide();
    ResetValueGrid();
    const QSignalBlocker block(m_pList);
    m_pList->clear();
    const auto add = [this](const QString& text, bool checked) {
        auto* item = new QListWidgetItem(text, m_pList);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    };
    const bool hasAll = m_Table.count(THEORY_ALL_CHANNELS) != 0;
    add(QString::fromUtf8(kAll), hasAll);
    int selected = hasAll ? 0 : -1;
    for (const ChannelEntry& entry : m_Channels) {
        const bool hasGroup = !hasAll && m_Table.count(entry.nChannel) != 0;
        add(EntryText(entry.nChannel), hasGroup);
        if (hasGroup)
            selected = m_pList->count() - 1;
    }
    m_nPrevIndex = -1;
    m_nCurIndex = selected;
    if (selected >= 0) {
        m_pList->setCurrentRow(selected);
        ShowGroup(m_Table[KeyOfEntry(selected)]);
    }
    ShowDescriptions();
}

int CDlgTheoryValue::exec() {
    OnInitDialog();
    return QDialog::exec();
}

void CDlgTheoryValue::OnSelChange(int index) {
    m_nPrevIndex = m_nCurIndex;
    StoreCurrentGroup();
    m_nCurIndex = index;
    if (m_nCurIndex == m_nPrevIndex)
        ResetValueGrid();
    if (index < 0 || index >= m_pList->count())
        return;
    const auto group = m_Table.find(KeyOfEntry(index));
    if (IsEntryChecked(index) && group != m_Table.end())
        ShowGroup(group->second);
    else if (!m_Table.empty())
        ResetValueGrid();
}

void CDlgTheoryValue::OnSetTheoryValues() {
    const int count = std::atoi(m_pCount->text().toStdString().c_str());
    if (count <= 0 || count > THEORY_MAX_ITEMS) {
        platform::MessageBox("输入理论值个数不规范，请检查", g_strAppTitle, platform::MB_ICONINFORMATION);
        return;
    }
    NumberRows(m_pValues, kValueHeadings, count);
}

void CDlgTheoryValue::OnSetDescriptions() {
    const int count = std::atoi(m_pCount->text().toStdString().c_str());
    NumberRows(m_pDescriptions, kDescriptionHeadings, count > 0 && count <= THEORY_MAX_ITEMS ? count : 0);
}

void CDlgTheoryValue::WriteFile(const std::string& path) {
    StoreCurrentGroup();
    // "All" stands for every channel only while its entry is checked.
    if (m_Table.count(THEORY_ALL_CHANNELS) != 0 && IsChecked(QString::fromUtf8(kAll)))
        for (auto it = m_Table.begin(); it != m_Table.end();)
            it = it->first == THEORY_ALL_CHANNELS ? std::next(it) : m_Table.erase(it);
    for (auto it = m_Table.begin(); it != m_Table.end();)
        it = IsChecked(EntryText(it->first)) ? std::next(it) : m_Table.erase(it);
    m_Descriptions.clear();
    for (int row = 1; row < m_pDescriptions->GetRows(); ++row)
        m_Descriptions.push_back(m_pDescriptions->GetTextMatrix(row, 1));
    if (!WriteTheoryFile(path, m_Table, m_Descriptions))
        platform::MessageBox("保存理论值设置文件失败！", g_strAppTitle, platform::MB_ICONEXCLAMATION);
}

void CDlgTheoryValue::OnSave() {
    WriteFile(platform::JoinPath(m_strProgramFolder, "Theory.try"));
}

void CDlgTheoryValue::OnSaveAs() {
    std::string path;
    if (!chooseFile || !chooseFile(true, kFilter, "保存理论值设置文件", m_strProgramFolder, path) ||
        path.empty())
        return;
    const std::string title = StripTryExtension(platform::FileNameOf(path));
    if (title.empty())
        return;
    WriteFile(platform::JoinPath(platform::FolderOf(path), title + ".try"));
}

void CDlgTheoryValue::OnOpenFile() {
    std::string path;
    if (!chooseFile || !chooseFile(false, kFilter, "导入理论值设置文件", m_strProgramFolder, path) ||
        path.empty())
        return;
    TheoryValueTable table;
    std::vector<std::string> descriptions;
    if (!ReadTheoryFile(path, table, descriptions)) {
        platform::MessageBox("打开理论值设置文件失败！", g_strAppTitle, platform::MB_ICONEXCLAMATION);
        return;
    }
    m_Table = std::move(table);
    m_Descriptions = std::move(descriptions);
    const QSignalBlocker block(m_pList);
    for (int row = 0; row < m_pList->count(); ++row)
        m_pList->item(row)->setCheckState(Qt::Unchecked);
    ResetValueGrid();
    for (const auto& [channel, values] : m_Table) {
        const QList<QListWidgetItem*> found = m_pList->findItems(EntryText(channel), Qt::MatchExactly);
        if (found.isEmpty() || EntryText(channel).isEmpty())
            continue;
        found.front()->setCheckState(Qt::Checked);
        ShowGroup(values);
        // The entry whose values the grid shows is the selected one, so that
        // the next selection change stores them where they belong.
        m_nCurIndex = m_pList->row(found.front());
        m_pList->setCurrentRow(m_nCurIndex);
    }
    ShowDescriptions();
}

void CDlgTheoryValue::accept() {
    // What the grid shows for the selected entry counts as entered.
    StoreCurrentGroup();
    QDialog::accept();
}

void CDlgTheoryValue::OpenEditor(CMSFlexGrid* grid, QLineEdit* editor) {
    const int row = grid->GetRow(), col = grid->GetCol();
    editor->setText(QString::fromStdString(grid->GetTextMatrix(row, col)));
    if (col == 0 || row < 1)
        return;
    editor->setGeometry(grid->GetCellRect(row, col));
    editor->show();
    editor->raise();
    editor->setFocus();
}
