// The coefficient-writing dialog.
#include "panels/channels/DlgCoefWrite.h"

#include "acquisition/ChanInfoWrapper.h"
#include "acquisition/CommBase.h"
#include "model/AppSettings.h"
#include "model/CaseTables.h"
#include "model/ChannelNaming.h"
#include "model/FieldTexts.h"
#include "model/NumberTexts.h"
#include "panels/run/WorkerWait.h"
#include "platform/MessageBox.h"
#include "platform/Time.h"
#include "widgets/DialogControls.h"
#include "widgets/GridMarks.h"
#include "widgets/MSFlexGrid.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kColumnWidthPixels = 1200 / 15;
constexpr int kCoefColumn = 3;
constexpr int kEditorLines = 10;
constexpr std::uint32_t kPauseMs = 200;

// The channel-information library's view of the channels.
class ChanInfoSource : public ICoefficientSource {
public:
    int GetAcqChannelTypeID(int channel) override { return g_ChanInfo.GetAcqChannelTypeID(channel); }
    int GetChannelSubVersion(int channel) override { return g_ChanInfo.GetChannelSubVersion(channel); }
    float GetChannelFullCoief(int channel, int code) override {
        return g_ChanInfo.GetChannelFullCoief(channel, code);
    }
    float GetChannelBrdgeVltCoief(int channel, int code) override {
        return g_ChanInfo.GetChannelBrdgeVltCoief(channel, code);
    }
    float GetChannelCurrentPulsCoief(int channel, int index) override {
        return g_ChanInfo.GetChannelCurrentPulsCoief(channel, index);
    }
};

ChanInfoSource& DefaultSource() {
    static ChanInfoSource source;
    return source;
}

struct GridTexts {
    const char* format;
    const char* success;
    const char* failure;
    int kind;
    const char* field; // names the coefficient in a refusal
};

const GridTexts& TextsOf(CDlgCoefWrite::Grid grid) {
    static const GridTexts full{"^ 是否修改 |^ 满度量程 |^ 代码 |^ 修正系数", "满度修正系数写入成功！",
                                "满度修正系数写入失败！", COEF_KIND_FULL_SCALE, "满度修正系数"};
    static const GridTexts current{"^ 是否修改 |^ 恒流量程 |^ 代码 |^ 修正系数", "恒流修正系数写入成功！",
                                   "恒流修正系数写入失败！", COEF_KIND_CURRENT, "恒流修正系数"};
    static const GridTexts bridge{"^ 是否修改 |^ 桥压     |^ 代码 |^ 修正系数", "桥压修正系数写入成功！",
                                  "桥压修正系数写入失败！", COEF_KIND_BRIDGE_VOLTAGE, "桥压修正系数"};
    return grid == CDlgCoefWrite::kFullScale ? full : (grid == CDlgCoefWrite::kCurrent ? current : bridge);
}

void Message(const std::string& text) {
    platform::MessageBox(text, g_strAppTitle, platform::MB_ICONINFORMATION);
}

} // namespace

CDlgCoefWrite::CDlgCoefWrite(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("系数写入"));
    m_pChannel = new QComboBox(this);
    m_pChannel->setObjectName(ControlName(1022));
    m_pFullGrid = new CMSFlexGrid(this);
    m_pFullGrid->setObjectName(ControlName(1417));
    m_pCurrentGrid = new CMSFlexGrid(this);
    m_pCurrentGrid->setObjectName(ControlName(1419));
    m_pBridgeGrid = new CMSFlexGrid(this);
    m_pBridgeGrid->setObjectName(ControlName(1423));
    m_pEditor = new QPlainTextEdit(this);
    m_pEditor->setObjectName(ControlName(1083));
    m_pEditor->hide();
    m_pEditor->installEventFilter(this);
    auto* writeFull = NewDialogButton("写入满度修正系数", 1418, this);
    auto* writeCurrent = NewDialogButton("写入恒流修正系数", 1420, this);
    auto* writeBridge = NewDialogButton("写入桥压修正系数", 1432, this);
    auto* read = NewDialogButton("读取通道信息", 1428, this);

    auto* layout = new QGridLayout(this);
    layout->addWidget(NewDialogLabel("通道号：", this), 0, 0);
    layout->addWidget(m_pChannel, 0, 1);
    layout->addWidget(read, 0, 2);
    const struct {
        const char* label;
        CMSFlexGrid* grid;
        QPushButton* button;
    } rows[] = {{"满度修正：", m_pFullGrid, writeFull},
                {"恒流修正：", m_pCurrentGrid, writeCurrent},
                {"桥压修正：", m_pBridgeGrid, writeBridge}};
    int row = 1;
    for (const auto& r : rows) {
        layout->addWidget(NewDialogLabel(r.label, this), row, 0, Qt::AlignTop);
        layout->addWidget(r.grid, row, 1);
        layout->addWidget(r.button, row, 2, Qt::AlignBottom);
        ++row;
    }

    connect(m_pChannel, &QComboBox::currentIndexChanged, this, [this] {
        OnChannelChanged();
        FillGrids();
    });
    connect(read, &QPushButton::clicked, this, [this] { OnReadChannelInfo(); });
    connect(writeFull, &QPushButton::clicked, this, [this] { OnWrite(kFullScale); });
    connect(writeCurrent, &QPushButton::clicked, this, [this] { OnWrite(kCurrent); });
    connect(writeBridge, &QPushButton::clicked, this, [this] { OnWrite(kBridge); });
    for (Grid grid : {kFullScale, kCurrent, kBridge}) {
        connect(GetGrid(grid), &CMSFlexGrid::Click, this, [this, grid] { OnGridClick(grid); });
        connect(GetGrid(grid), &CMSFlexGrid::DblClick, this, [this, grid] { OnGridDblClick(grid); });
    }
}

CDlgCoefWrite::~CDlgCoefWrite() = default;

CMSFlexGrid* CDlgCoefWrite::GetGrid(Grid grid) const {
    return grid == kFullScale ? m_pFullGrid : (grid == kCurrent ? m_pCurrentGrid : m_pBridgeGrid);
}

int CDlgCoefWrite::exec() {
    OnInitDialog();
    return QDialog::exec();
}

void CDlgCoefWrite::OnInitDialog() {
    {
        const QSignalBlocker quiet(m_pChannel);
        m_pChannel->clear();
        for (int slot = 0; slot < g_nCaseCount && slot < MAX_CASE_COUNT; ++slot) {
            for (int ch = 0; ch < 16; ++ch)
                m_pChannel->addItem(QString::fromStdString(FormatChannelName(g_CaseList[slot] * 16 + ch)));
        }
        m_pChannel->setCurrentIndex(m_pChannel->count() > 0 ? 0 : -1);
    }
    for (Grid grid : {kFullScale, kCurrent, kBridge})
        GetGrid(grid)->SetFormatString(TextsOf(grid).format);
    m_lists.current = CoefficientEntry{"1-4mA", 1, 1.0f};
    OnChannelChanged();
    FillGrids();
}

int CDlgCoefWrite::GetSelectedChannel() const {
    if (m_pChannel->currentIndex() < 0)
        return -1;
    return ParseChannelName(m_pChannel->currentText().toStdString());
}

void CDlgCoefWrite::OnChannelChanged() {
    const int channel = GetSelectedChannel();
    if (channel < 0)
        return;
    RefreshChannelCoefficients(m_strInstrumentFile, channel,
                               m_pSource != nullptr ? *m_pSource : DefaultSource(), m_lists);
}

void CDlgCoefWrite::FillGrid(CMSFlexGrid* grid, const std::vector<CoefficientEntry>& entries, int count) {
    grid->SetRedraw(false);
    grid->SetRows(count + 1);
    for (int c = 0; c < grid->GetCols(); ++c)
        grid->setColumnWidth(c, kColumnWidthPixels);
    for (int i = 0; i < count; ++i) {
        const CoefficientEntry& entry = entries[std::size_t(i)];
        grid->SetTextMatrix(i + 1, 0, MarkText(true));
        grid->SetTextMatrix(i + 1, 1, entry.strName.empty() ? "--" : entry.strName);
        grid->SetTextMatrix(i + 1, 2, entry.nCode == -1 ? "--" : std::to_string(entry.nCode));
        grid->SetTextMatrix(i + 1, kCoefColumn, FormatValueDecimals(entry.fCoef, 6));
    }
    // The edited coefficient column is the last: never behind a scroll bar.
    grid->FitWidthToColumns();
    grid->SetRedraw(true);
}

void CDlgCoefWrite::FillGrids() {
    m_pEditor->hide();
    FillGrid(m_pFullGrid, m_lists.full, static_cast<int>(m_lists.full.size()));
    FillGrid(m_pCurrentGrid, {m_lists.current}, 1);
    FillGrid(m_pBridgeGrid, m_lists.bridge, m_lists.BridgeRows());
}

void CDlgCoefWrite::OnReadChannelInfo() {
    if (m_pComm == nullptr)
        return;
    // The cases answer within seconds; the window stays served meanwhile.
    CCommBase* comm = m_pComm;
    RunWhileWindowWaits(*this, [comm] { comm->ReadChannelInfo(); });
    OnChannelChanged();
    FillGrids();
}

void CDlgCoefWrite::OnWrite(Grid grid) {
    if (m_pComm == nullptr)
        return;
    const int channel = GetSelectedChannel();
    if (channel < 0) {
        Message("请选择需要修改的通道！");
        return;
    }
    m_pEditor->hide();
    CMSFlexGrid* g = GetGrid(grid);
    std::vector<CoefficientEntry>* entries = grid == kFullScale ? &m_lists.full : &m_lists.bridge;
    const int listSize =
        grid == kCurrent ? 1 : (grid == kFullScale ? int(entries->size()) : m_lists.BridgeRows());
    const GridTexts& texts = TextsOf(grid);
    // Every marked coefficient is checked before the first goes out: a
    // coefficient of 0 would zero every reading of its range.
    std::vector<CoefficientRow> rows;
    std::vector<float> typed;
    for (int r = 1; r < g->GetRows() && r - 1 < listSize; ++r) {
        CoefficientRow row;
        row.bMarked = g->GetTextMatrix(r, 0) == MarkText(true);
        row.bNamed = g->GetTextMatrix(r, 1) != "--";
        float coef = 0.0f;
        if (row.bMarked && row.bNamed && !ParsePositiveNumberText(g->GetTextMatrix(r, kCoefColumn), coef)) {
            Message(InvalidPositiveNumberMessage(std::string(texts.field) + "（" + g->GetTextMatrix(r, 1) +
                                                 "）"));
            return;
        }
        typed.push_back(coef);
        rows.push_back(row);
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        CoefficientEntry& entry = grid == kCurrent ? m_lists.current : (*entries)[i];
        if (rows[i].bMarked && rows[i].bNamed)
            entry.fCoef = typed[i];
        rows[i].nCode = entry.nCode;
        rows[i].fCoef = entry.fCoef;
    }
    CCommBase* comm = m_pComm;
    const std::function<void()> pause = m_pause ? m_pause : [] { platform::Sleep(kPauseMs); };
    int result = 0;
    RunWhileWindowWaits(*this,
                        [&] { result = WriteCoefficientRows(*comm, channel, texts.kind, rows, pause); });
    Message(result != 0 ? texts.success : texts.failure);
}

void CDlgCoefWrite::OnGridDblClick(Grid grid) {
    ToggleMarks(*GetGrid(grid), 0);
}

void CDlgCoefWrite::OnGridClick(Grid grid) {
    CMSFlexGrid* g = GetGrid(grid);
    m_nEditGrid = grid;
    m_pEditor->hide();
    const int col = g->GetCol(), row = g->GetRow(), rowSel = g->GetRowSel();
    if (g->GetColSel() != col || row < 1 || rowSel < 1)
        return;
    m_nEditFirstRow = std::min(row, rowSel);
    m_nEditLastRow = std::max(row, rowSel);
    if (col != kCoefColumn)
        return;
    // Over the clicked cell, or over the whole selection of rows.
    const QRect first = g->GetCellRect(m_nEditFirstRow, col);
    const QRect last = g->GetCellRect(m_nEditLastRow, col);
    const QPoint topLeft = g->viewport()->mapTo(this, first.topLeft());
    const int height =
        m_nEditFirstRow == m_nEditLastRow ? first.height() + 3 : last.bottom() - first.top() + 1;
    m_pEditor->setGeometry(topLeft.x() - 1, topLeft.y(), first.width(), height);
    m_pEditor->setPlainText(QString::fromStdString(g->GetTextMatrix(row, col)));
    m_pEditor->show();
    m_pEditor->raise();
    m_pEditor->setFocus();
}

void CDlgCoefWrite::OnEditorDone() {
    if (m_nEditGrid == 0 || !m_pEditor->isVisible())
        return;
    m_pEditor->hide();
    QStringList lines = m_pEditor->toPlainText().split('\n');
    lines = lines.mid(0, kEditorLines);
    CMSFlexGrid* g = GetGrid(static_cast<Grid>(m_nEditGrid));
    for (int r = m_nEditFirstRow; r <= m_nEditLastRow && r < g->GetRows(); ++r) {
        const int k = r - m_nEditFirstRow;
        // A missing line, and any row past the editor's ten, takes the first line.
        const QString& text = k < lines.size() ? lines[k] : lines[0];
        g->SetTextMatrix(r, kCoefColumn, text.trimmed().toStdString());
    }
}

bool CDlgCoefWrite::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_pEditor && event->type() == QEvent::FocusOut)
        OnEditorDone();
    return QDialog::eventFilter(watched, event);
}
