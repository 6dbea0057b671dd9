// The channel-parameter bar's widgets and their glue to the channel rules.
#include "panels/bars/ChannelParamBar.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QShortcut>
#include <QTabBar>
#include <QVBoxLayout>

#include "model/ChannelNaming.h"
#include "model/OperatorRights.h"
#include "model/RunFlags.h"
#include "model/ValueConversion.h"
#include "panels/bars/BarMessages.h"
#include "panels/bars/ChannelCommitRules.h"
#include "panels/bars/ChannelEditorRules.h"
#include "panels/bars/ChannelRowRules.h"
#include "panels/bars/PictureTipComboBox.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"
#include "widgets/MSFlexGrid.h"

namespace {

constexpr const char* BAR_TITLE = "测点参数栏";
constexpr const char* COPY_PASTE_CAPTION = "提示";

QTabBar* MakeTabBar(QWidget* parent, const char* name) {
    auto* tabs = new QTabBar(parent);
    tabs->setObjectName(name);
    tabs->setExpanding(false);
    tabs->setDrawBase(false);
    return tabs;
}

void SetTabs(QTabBar* tabs, const std::vector<std::string>& texts) {
    const QSignalBlocker block(tabs);
    while (tabs->count() > 0) {
        tabs->removeTab(tabs->count() - 1);
    }
    for (const std::string& text : texts) {
        tabs->addTab(QString::fromStdString(text));
    }
    tabs->setCurrentIndex(texts.empty() ? -1 : 0);
}

// Keeps the wait cursor up while a table change runs.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

CChannelParamBar::CChannelParamBar(QWidget* parent)
    : QWidget(parent), m_pCaseTabs(nullptr), m_pControllerTabs(nullptr), m_pTypeTabs(nullptr),
      m_pGrid(nullptr), m_pCombo(nullptr), m_pEdit(nullptr) {
    setObjectName("CChannelParamBar");
    setWindowTitle(BAR_TITLE);
    QWidget* body = this;
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(0);
    m_pCaseTabs = MakeTabBar(body, "1010");
    m_pControllerTabs = MakeTabBar(body, "1438");
    m_pTypeTabs = MakeTabBar(body, "1009");
    m_pGrid = new CMSFlexGrid(body);
    m_pGrid->setObjectName("16011");
    layout->addWidget(m_pCaseTabs);
    layout->addWidget(m_pControllerTabs);
    layout->addWidget(m_pTypeTabs);
    layout->addWidget(m_pGrid, 1);
    m_pCaseTabs->hide();
    m_pControllerTabs->hide();

    m_pCombo = new CPictureTipComboBox(m_pGrid->viewport());
    m_pCombo->setObjectName("1012");
    m_pCombo->hide();
    m_pEdit = new QLineEdit(m_pGrid->viewport());
    m_pEdit->setObjectName("1083");
    m_pEdit->hide();
    m_pEdit->installEventFilter(this);
    m_pCombo->installEventFilter(this);

    connect(m_pTypeTabs, &QTabBar::currentChanged, this, &CChannelParamBar::OnTypeTabChanged);
    connect(m_pCaseTabs, &QTabBar::currentChanged, this, [this] { OnPagingTabChanged(); });
    connect(m_pControllerTabs, &QTabBar::currentChanged, this, [this] { OnPagingTabChanged(); });
    connect(m_pGrid, &CMSFlexGrid::Click, this, &CChannelParamBar::BeginCellEdit);
    connect(m_pGrid, &CMSFlexGrid::DblClick, this, &CChannelParamBar::OnTickToggle);
    connect(m_pGrid, &CMSFlexGrid::MouseUp, this, [this](Qt::MouseButton b) {
        if (b == Qt::LeftButton) {
            OnRowSelection();
        }
    });
    connect(m_pCombo, qOverload<int>(&QComboBox::activated), this, &CChannelParamBar::OnComboChosen);
    for (const QKeySequence& key :
         {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)}) {
        auto* shortcut = new QShortcut(key, this, this, &CChannelParamBar::OnCopy);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    }
    for (const QKeySequence& key :
         {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)}) {
        auto* shortcut = new QShortcut(key, this, this, &CChannelParamBar::OnPaste);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    }
}

void CChannelParamBar::SetInstrumentModel(int modelType, const std::string& descriptionFile) {
    m_ctx.nModelType = modelType;
    m_strDescriptionFile = descriptionFile;
    m_ctx.ini.SetFilePath(descriptionFile);
}

void CChannelParamBar::SetPaging(bool byCase, bool byController) {
    m_bPagingByCase = byCase;
    m_bPagingByController = byController;
}

void CChannelParamBar::SetUnitFile(const std::string& path) {
    m_strUnitFile = path;
    m_ctx.units = LoadEngineeringUnits(path);
}

void CChannelParamBar::SetChannelFiles(const std::string& programFile, const std::string& projectFile) {
    m_strProgramChannelFile = programFile;
    m_strProjectChannelFile = projectFile;
}

int CChannelParamBar::InitTypeTabs() {
    setWindowTitle(BAR_TITLE);
    m_typeTabs = BuildTypeTabTable();
    std::vector<std::string> texts{GetPageTabText(PAGE_OVERVIEW)};
    for (int page : m_typeTabs) {
        texts.emplace_back(GetPageTabText(page));
    }
    SetTabs(m_pTypeTabs, texts);
    m_nTabIndex = 0;
    LoadBridgeModeNames(m_ctx.ini, m_ctx.bridgeModes);
    return 1;
}

void CChannelParamBar::FillCaseTabs() {
    const bool byCase = m_bPagingByCase && g_nCaseCount != 0;
    const bool byController = m_bPagingByController && !m_ctx.controllers.empty();
    SetTabs(m_pCaseTabs, byCase ? BuildCaseTabTexts() : std::vector<std::string>{});
    SetTabs(m_pControllerTabs,
            byController ? BuildControllerTabTexts(m_ctx.controllers) : std::vector<std::string>{});
    m_pCaseTabs->setVisible(byCase);
    m_pControllerTabs->setVisible(byController && g_nCaseCount != 0);
}

void CChannelParamBar::ShowSelectedTypePage() {
    HideEditors();
    FillPage();
}

void CChannelParamBar::BuildShownChannelList() {
    BuildMeasuredChannelList();
    if (m_refreshViews) {
        m_refreshViews();
    }
}

int CChannelParamBar::GetCurrentPageId() const {
    return PageIdOfTab(m_typeTabs, m_nTabIndex);
}

ChannelRowRange CChannelParamBar::CurrentRowRange() const {
    if (m_pCaseTabs->isVisibleTo(this) || (m_bPagingByCase && m_pCaseTabs->count() > 0)) {
        return GetCasePagingRange(m_pCaseTabs->currentIndex(), m_ctx.nChannelsPerUnit);
    }
    if (m_bPagingByController && m_pControllerTabs->count() > 0) {
        return GetControllerPagingRange(m_pControllerTabs->currentIndex(), m_ctx.controllers,
                                        m_ctx.nChannelsPerUnit);
    }
    return GetDefaultRowRange();
}

void CChannelParamBar::FillPage() {
    const int pageId = GetCurrentPageId();
    m_pageChannels = ListPageChannels(pageId, CurrentRowRange());
    m_rowOfChannel.clear();
    m_rowOfChannel.reserve(m_pageChannels.size());
    m_bFilling = true;
    m_pGrid->SetRedraw(false);
    m_pGrid->clearContents();
    m_pGrid->SetFormatString(GetPageHeading(pageId, IsGndInputMode()));
    m_pGrid->SetRows(static_cast<int>(m_pageChannels.size()) + 1);
    for (std::size_t i = 0; i < m_pageChannels.size(); ++i) {
        m_rowOfChannel[m_pageChannels[i]] = static_cast<int>(i) + 1;
        DrawRow(static_cast<int>(i) + 1, m_pageChannels[i]);
    }
    for (int row : m_selectedRows) {
        HighlightRow(row, true);
    }
    m_pGrid->SetRedraw(true);
    m_bFilling = false;
}

void CChannelParamBar::DrawRow(int row, int channel) {
    const int pageId = GetCurrentPageId();
    const std::vector<std::string> cells =
        FormatPageRow(pageId, channel, m_ctx.bridgeModes, IsGndInputMode());
    for (std::size_t c = 0; c < cells.size() && static_cast<int>(c) < m_pGrid->GetCols(); ++c) {
        m_pGrid->SetTextMatrix(row, static_cast<int>(c), cells[c]);
    }
    if (pageId == PAGE_STRAIN) {
        m_pGrid->SetCellBackColor(row, COL_STRAIN_MODULUS, GetModulusCellColor(channel));
    }
}

void CChannelParamBar::RedrawChannel(int channel) {
    const auto it = m_rowOfChannel.find(channel);
    if (it == m_rowOfChannel.end()) {
        return;
    }
    DrawRow(it->second, channel);
    if (std::find(m_selectedRows.begin(), m_selectedRows.end(), it->second) != m_selectedRows.end()) {
        HighlightRow(it->second, true);
    }
}

int CChannelParamBar::ChannelOfRow(int row) const {
    return ParseChannelName(m_pGrid->GetTextMatrix(row, 0));
}

void CChannelParamBar::HideEditors() {
    m_pEdit->hide();
    m_pCombo->hide();
}

void CChannelParamBar::PlaceEditor(QWidget* editor) {
    const QRect cell = m_pGrid->GetCellRect(m_nCurRow, m_nCurCol);
    editor->setGeometry(cell.x() - 1, cell.y(), cell.width(),
                        std::max(cell.height(), editor->sizeHint().height()));
    editor->show();
    editor->raise();
    editor->setFocus();
}

void CChannelParamBar::BeginCellEdit() {
    if (g_bSampling != 0 || (m_pRights != nullptr && m_pRights->IsChannelEditAllowed() == 0)) {
        return;
    }
    HideEditors();
    m_pCombo->ClearPictures();
    m_nCurCol = m_pGrid->GetCol();
    m_nCurRow = m_pGrid->GetRow();
    m_nCurChannel = m_nCurRow >= 1 ? ChannelOfRow(m_nCurRow) : -1;
    m_nFirstRow = std::min(m_nCurRow, m_pGrid->GetRowSel());
    m_nLastRow = std::max(m_nCurRow, m_pGrid->GetRowSel());
    if (m_pGrid->GetColSel() != m_nCurCol || m_nCurRow < 1) {
        return;
    }
    CellEditRequest request;
    request.pageId = GetCurrentPageId();
    request.column = m_nCurCol;
    request.channel = m_nCurChannel;
    request.cellText = m_pGrid->GetTextMatrix(m_nCurRow, m_nCurCol);
    request.bSeveralRows = m_nFirstRow != m_nLastRow;
    request.pageChannels = m_pageChannels;
    const CellEditor editor = GetCellEditor(m_ctx, request);
    if (editor.kind == CellEditorKind::List) {
        const QSignalBlocker block(m_pCombo);
        m_pCombo->clear();
        for (const std::string& choice : editor.choices) {
            m_pCombo->addItem(QString::fromStdString(choice));
        }
        m_pCombo->SetPictures(editor.pictures.data(), static_cast<int>(editor.pictures.size()));
        m_pCombo->setCurrentIndex(editor.nSelected);
        PlaceEditor(m_pCombo);
    } else if (editor.kind == CellEditorKind::Text) {
        m_pEdit->setText(QString::fromStdString(editor.text));
        m_pEdit->selectAll();
        PlaceEditor(m_pEdit);
    }
}

void CChannelParamBar::OnEditFinished() {
    if (!m_pEdit->isVisible()) {
        return;
    }
    const std::string text = m_pEdit->text().toStdString();
    m_pEdit->hide();
    if (!text.empty()) {
        CommitCellEdit(text, 0);
    }
}

void CChannelParamBar::OnComboChosen(int index) {
    m_pCombo->hide();
    if (index < 0) {
        return;
    }
    const std::string text = m_pCombo->itemText(index).toStdString();
    {
        const QSignalBlocker block(m_pCombo);
        m_pCombo->clear();
    }
    m_pCombo->ClearPictures();
    CommitCellEdit(text, index);
}

std::vector<int> CChannelParamBar::GetSelectedChannels() const {
    std::vector<int> channels;
    for (int row : m_selectedRows) {
        if (row >= 1 && row < m_pGrid->GetRows())
            channels.push_back(ChannelOfRow(row));
    }
    return channels;
}

std::vector<int> CChannelParamBar::SelectedChannels() const {
    std::vector<int> channels;
    for (int row = std::max(m_nFirstRow, 1); row <= m_nLastRow && row < m_pGrid->GetRows(); ++row) {
        channels.push_back(ChannelOfRow(row));
    }
    return channels;
}

void CChannelParamBar::CommitCellEdit(const std::string& text, int listIndex) {
    if (IsRunActive()) {
        return;
    }
    const WaitCursor wait;
    CellCommit commit;
    commit.pageId = GetCurrentPageId();
    commit.column = m_nCurCol;
    commit.text = text;
    commit.listIndex = listIndex;
    commit.rowChannels = SelectedChannels();
    commit.pageChannels = m_pageChannels;
    CommitResult result = ::CommitCellEdit(m_ctx, commit);
    if (result.bRebuildTypeTabs) {
        m_typeTabs = BuildTypeTabTable();
        const QSignalBlocker block(m_pTypeTabs);
        while (m_pTypeTabs->count() > 1) {
            m_pTypeTabs->removeTab(m_pTypeTabs->count() - 1);
        }
        for (int page : m_typeTabs) {
            m_pTypeTabs->addTab(GetPageTabText(page));
        }
    }
    for (int channel : result.touchedChannels) {
        RedrawChannel(channel);
    }
    m_changedChannels = result.changedChannels;
    SendBarMessages(m_hOwner, result);
    AfterTableChange();
}

void CChannelParamBar::AfterTableChange() {
    SaveChannelTables();
    if (m_refreshViews) {
        m_refreshViews();
    }
}

void CChannelParamBar::SaveChannelTables() {
    ::SaveChannelTables(m_strProgramChannelFile, m_strProjectChannelFile, m_ctx.nProjectState);
}

void CChannelParamBar::HighlightRow(int row, bool on) {
    if (row < 1 || row >= m_pGrid->GetRows()) {
        return;
    }
    for (int col = 1; col < m_pGrid->GetCols(); ++col) {
        const unsigned color = m_pGrid->GetCellBackColor(row, col);
        if (color == COLOR_KEEP_RED || color == COLOR_KEEP_YELLOW) {
            continue;
        }
        m_pGrid->SetCellBackColor(row, col, on ? COLOR_ROW_HIGHLIGHT : COLOR_WHITE);
    }
    if (!on && GetCurrentPageId() == PAGE_STRAIN) {
        m_pGrid->SetCellBackColor(row, COL_STRAIN_MODULUS, GetModulusCellColor(ChannelOfRow(row)));
    }
}

void CChannelParamBar::ClearRowSelection() {
    for (int row : m_selectedRows) {
        HighlightRow(row, false);
    }
    m_selectedRows.clear();
}

void CChannelParamBar::OnRowSelection() {
    const int row = m_pGrid->GetRow();
    if (row < 1) {
        return;
    }
    if (m_pGrid->GetCol() == m_pGrid->GetColSel()) {
        ClearRowSelection();
        return;
    }
    const int lo = std::min(row, m_pGrid->GetRowSel());
    const int hi = std::max(row, m_pGrid->GetRowSel());
    const bool ctrl = m_bCtrlDown || (QApplication::keyboardModifiers() & Qt::ControlModifier) != 0;
    m_pGrid->SetRedraw(false);
    if (!ctrl) {
        ClearRowSelection();
    }
    for (int r = lo; r <= hi; ++r) {
        const auto it = std::find(m_selectedRows.begin(), m_selectedRows.end(), r);
        if (ctrl && it != m_selectedRows.end()) {
            m_selectedRows.erase(it);
            HighlightRow(r, false);
        } else if (it == m_selectedRows.end()) {
            m_selectedRows.push_back(r);
            HighlightRow(r, true);
        }
    }
    m_pGrid->SetRedraw(true);
}

void CChannelParamBar::OnTickToggle() {
    if (g_bSampling != 0) {
        return;
    }
    const int row = m_pGrid->GetRow();
    const int col = m_pGrid->GetCol();
    if (row < 1) {
        return;
    }
    const std::string text =
        ToggleTick(GetCurrentPageId(), col, m_pGrid->GetTextMatrix(row, col), SelectedChannels());
    if (text.empty()) {
        return;
    }
    for (int r = std::max(m_nFirstRow, 1); r <= m_nLastRow && r < m_pGrid->GetRows(); ++r) {
        m_pGrid->SetTextMatrix(r, col, text);
    }
    SaveChannelTables();
    BuildShownChannelList();
}

QMenu* CChannelParamBar::CreateContextMenu() {
    if (m_nCurChannel < 0) {
        return nullptr;
    }
    auto* menu = new QMenu(this);
    menu->addAction(
        QString::fromStdString(platform::Format("平衡%s通道", FormatChannelName(m_nCurChannel).c_str())),
        this, &CChannelParamBar::OnBalanceChannel);
    menu->addAction("复制", this, &CChannelParamBar::OnCopy);
    menu->addAction("粘贴", this, &CChannelParamBar::OnPaste);
    return menu;
}

void CChannelParamBar::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = CreateContextMenu();
    if (menu != nullptr) {
        menu->exec(event->globalPos());
        delete menu;
    }
}

void CChannelParamBar::OnBalanceChannel() {
    platform::SendMessage(m_hOwner, WM_BAR_BALANCE_CHANNEL, static_cast<platform::WPARAM>(m_nCurChannel), 0);
}

void CChannelParamBar::OnCopy() {
    m_bCtrlDown = false;
    const std::string refusal = CheckCopySelection(m_selectedRows.size());
    if (!refusal.empty()) {
        platform::MessageBox(refusal, COPY_PASTE_CAPTION, platform::MB_ICONEXCLAMATION);
        return;
    }
    const int row = m_selectedRows.front();
    m_nCopyTab = m_nTabIndex;
    m_nCopySource = ChannelOfRow(row);
    m_copyTexts.clear();
    for (int col = 0; col < m_pGrid->GetCols(); ++col) {
        m_copyTexts.push_back(m_pGrid->GetTextMatrix(row, col));
    }
}

void CChannelParamBar::OnPaste() {
    m_bCtrlDown = false;
    if (m_selectedRows.empty() || m_copyTexts.empty() || m_nTabIndex != m_nCopyTab) {
        platform::MessageBox(MSG_PASTE_NEEDS_COPY, COPY_PASTE_CAPTION, platform::MB_ICONEXCLAMATION);
        return;
    }
    const WaitCursor wait;
    std::vector<int> targets;
    for (int row : m_selectedRows) {
        targets.push_back(ChannelOfRow(row));
    }
    m_changedChannels = PasteChannelParams(GetCurrentPageId(), m_nCopySource, targets);
    FillPage();
    if (!m_changedChannels.empty()) {
        platform::SendMessage(m_hOwner, WM_BAR_SEND_CHANNEL_PARAMS,
                              reinterpret_cast<platform::WPARAM>(&m_changedChannels), 0);
    }
    // What the cases were sent is also what the files keep.
    AfterTableChange();
}

void CChannelParamBar::OnTypeTabChanged(int index) {
    ClearRowSelection();
    m_pCombo->ClearPictures();
    HideEditors();
    if (index != m_nTabIndex) {
        m_nTabIndex = index;
        FillPage();
    }
}

void CChannelParamBar::OnPagingTabChanged() {
    m_pCombo->ClearPictures();
    FillPage();
    BuildShownChannelList();
}

bool CChannelParamBar::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            OnEditFinished();
            m_pCombo->hide();
            return watched == m_pEdit;
        }
        if (key == Qt::Key_Escape) {
            m_pEdit->clear();
            HideEditors();
            return true;
        }
    } else if (event->type() == QEvent::FocusOut && watched == m_pEdit) {
        OnEditFinished();
    }
    return QWidget::eventFilter(watched, event);
}
