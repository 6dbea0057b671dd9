// The mechanical-property test: controls, loading, cursors and commands.
#include "panels/mechanical/DlgMechanicalTest.h"

#include "datafiles/DataFileAccess.h"
#include "model/CaseTables.h"
#include "model/ChannelNaming.h"
#include "panels/bars/ChannelBarPages.h"
#include "panels/run/WorkerWait.h"
#include "widgets/DialogControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kPlotWidth = 560;
constexpr int kPlotHeight = 500;
constexpr int kInfoMargin = 20;

QString ModulusText(float value) {
    return QString::asprintf("%.4f", double(value));
}

} // namespace

CDlgMechanicalTest::CDlgMechanicalTest(QWidget* parent) : QDialog(parent) {
    setWindowTitle("力学性能检测");
    m_layout = OnlineLayoutFromCaseTables();
    runGraphColor = [](CDlgGraphColor& dialog) { return dialog.exec(); };
    BuildControls();
}

void CDlgMechanicalTest::BuildControls() {
    m_pPlot = new QWidget(this);
    m_pPlot->setObjectName(ControlName(1049));
    m_pPlot->setFixedSize(kPlotWidth, kPlotHeight);
    m_pPlot->setAttribute(Qt::WA_OpaquePaintEvent);
    m_pPlot->setContextMenuPolicy(Qt::PreventContextMenu);
    m_pPlot->installEventFilter(this);

    m_pXCombo = new QComboBox(this);
    m_pXCombo->setObjectName(ControlName(1022));
    m_pYCombo = new QComboBox(this);
    m_pYCombo->setObjectName(ControlName(1043));
    connect(m_pXCombo, &QComboBox::activated, this, [this] { OnChannelChanged(); });
    connect(m_pYCombo, &QComboBox::activated, this, [this] { OnChannelChanged(); });
    auto* channels = new QGroupBox("通道选择：", this);
    auto* channelGrid = new QGridLayout(channels);
    channelGrid->addWidget(NewDialogLabel("X轴：", this), 0, 0);
    channelGrid->addWidget(m_pXCombo, 0, 1);
    channelGrid->addWidget(NewDialogLabel("Y轴：", this), 1, 0);
    channelGrid->addWidget(m_pYCombo, 1, 1);

    m_pXDirection = new QRadioButton("X轴方向", this);
    m_pXDirection->setObjectName(ControlName(1050));
    m_pYDirection = new QRadioButton("Y轴方向", this);
    m_pYDirection->setObjectName(ControlName(1051));
    connect(m_pXDirection, &QRadioButton::clicked, this, [this] { OnDirection(kCursorsOnX); });
    connect(m_pYDirection, &QRadioButton::clicked, this, [this] { OnDirection(kCursorsOnY); });
    auto* direction = new QGroupBox("光标类型：", this);
    auto* directionRow = new QHBoxLayout(direction);
    directionRow->addWidget(m_pXDirection);
    directionRow->addWidget(m_pYDirection);

    m_pZoomOut = NewDialogButton("缩小", 1053, this);
    m_pZoomIn = NewDialogButton("放大", 1054, this);
    connect(m_pZoomOut, &QPushButton::clicked, this, [this] { OnZoomOut(); });
    connect(m_pZoomIn, &QPushButton::clicked, this, [this] { OnZoomIn(); });
    auto* zoom = new QGroupBox("刻度缩放：", this);
    auto* zoomRow = new QHBoxLayout(zoom);
    zoomRow->addWidget(m_pZoomOut);
    zoomRow->addWidget(m_pZoomIn);

    m_pParallel = new QCheckBox("作平行线", this);
    m_pParallel->setObjectName(ControlName(1052));
    connect(m_pParallel, &QCheckBox::clicked, this, [this] { OnParallelLine(); });

    m_pModulus = NewDialogEdit(1045, this);
    m_pYield = NewDialogEdit(1046, this);
    m_pModulus->setReadOnly(true);
    m_pYield->setReadOnly(true);
    auto* results = new QGridLayout;
    results->addWidget(NewDialogLabel("弹性模量：", this), 0, 0);
    results->addWidget(m_pModulus, 0, 1);
    results->addWidget(NewDialogLabel("MPa", this), 0, 2);
    results->addWidget(NewDialogLabel("屈服强度：", this), 1, 0);
    results->addWidget(m_pYield, 1, 1);

    auto* compute = NewDialogButton("计算", 1047, this);
    auto* quit = NewDialogButton("退出", 2, this);
    connect(compute, &QPushButton::clicked, this, [this] { OnCompute(); });
    connect(quit, &QPushButton::clicked, this, &QDialog::reject);

    auto* side = new QVBoxLayout;
    side->addWidget(channels);
    side->addWidget(direction);
    side->addWidget(zoom);
    side->addWidget(m_pParallel);
    side->addLayout(results);
    side->addStretch();
    side->addLayout(NewButtonRow({compute, quit}));
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_pPlot);
    layout->addLayout(side);
}

void CDlgMechanicalTest::SetDataFile(const std::string& path, int count) {
    m_strDataPath = path;
    m_nSampleCount = std::max(count, 0);
}

void CDlgMechanicalTest::FillChannelLists() {
    const int count = std::clamp<int>(g_nMeasChanCount, 0, MAX_CHANNEL_COUNT);
    m_channels.assign(g_MeasChanList, g_MeasChanList + count);
    for (QComboBox* combo : {m_pXCombo, m_pYCombo}) {
        combo->clear();
        for (int channel : m_channels)
            combo->addItem(
                QString::fromStdString(FormatChannelName(channel) + "[" + GetDescriptionText(channel) + "]"));
        combo->setCurrentIndex(m_channels.empty() ? -1 : 0);
    }
    m_nXChannel = m_nYChannel = m_channels.empty() ? -1 : m_channels.front();
}

void CDlgMechanicalTest::OnInitDialog() {
    FillChannelLists();
    (m_nDirection == kCursorsOnY ? m_pYDirection : m_pXDirection)->setChecked(true);
    m_pParallel->setChecked(m_bParallelLine);
    EnableModeControls();
    LayoutPlot();
}

int CDlgMechanicalTest::exec() {
    OnInitDialog();
    // The run is read once the window shows, so that it can wait visibly.
    QTimer::singleShot(0, this, [this] { LoadChannels(); });
    return QDialog::exec();
}

void CDlgMechanicalTest::LoadChannels() {
    MechanicalSeries loaded;
    const std::string path = m_strDataPath;
    const int count = m_nSampleCount, x = m_nXChannel, y = m_nYChannel;
    const OnlineLayout layout = m_layout;
    const IChannelTable& channels = *m_pChannels;
    RunWhileWindowWaits(*this, [&] {
        const CDataFileAccess access(layout, channels);
        LoadMechanicalSeries(access, path, count, x, y, loaded);
    });
    m_series = std::move(loaded);
    m_ranges = ComputeMechanicalRanges(m_series);
    m_fZoom = 1.0f;
    UpdateScale();
    ResetCursors();
    m_bCurveShown = true;
    m_pPlot->update();
}

void CDlgMechanicalTest::LayoutPlot() {
    m_plot = LayoutMechanicalPlot(m_pPlot->width(), m_pPlot->height());
    ResetCursors();
    UpdateScale();
}

void CDlgMechanicalTest::ResetCursors() {
    m_nCursorX[0] = m_plot.left;
    m_nCursorX[1] = m_plot.right;
    m_nCursorY[0] = m_plot.top;
    m_nCursorY[1] = m_plot.bottom;
}

void CDlgMechanicalTest::UpdateScale() {
    m_scale = ComputeMechanicalScale(m_plot, m_ranges);
    m_bCurvePixelsValid = false;
}

int CDlgMechanicalTest::GetCursorPixel(int i) const {
    const int index = std::clamp(i, 0, 1);
    return m_nDirection == kCursorsOnY ? m_nCursorY[index] : m_nCursorX[index];
}

float CDlgMechanicalTest::GetCursorValue(int i) const {
    return MechanicalCursorValue(m_scale, m_nDirection, GetCursorPixel(i));
}

void CDlgMechanicalTest::OnChannelChanged() {
    const auto chosen = [this](QComboBox* combo) {
        const int index = combo->currentIndex();
        return index >= 0 && std::size_t(index) < m_channels.size() ? m_channels[std::size_t(index)] : -1;
    };
    const int x = chosen(m_pXCombo), y = chosen(m_pYCombo);
    if (x == m_nXChannel && y == m_nYChannel)
        return;
    if (m_bParallelLine) {
        m_bParallelLine = false;
        m_pParallel->setChecked(false);
        EnableModeControls();
    }
    m_nXChannel = x;
    m_nYChannel = y;
    LoadChannels();
}

void CDlgMechanicalTest::OnCompute() {
    if (!m_bParallelLine)
        m_fElasticModulus =
            ComputeElasticModulus(m_series, GetCursorValue(0), GetCursorValue(1), m_nDirection);
    const float yield = ComputeYieldStrength(m_series, m_fElasticModulus);
    m_pModulus->setText(ModulusText(m_fElasticModulus));
    m_pYield->setText(ModulusText(yield));
}

void CDlgMechanicalTest::OnParallelLine() {
    m_bParallelLine = m_pParallel->isChecked();
    if (m_bParallelLine) {
        m_fElasticModulus =
            ComputeElasticModulus(m_series, GetCursorValue(0), GetCursorValue(1), m_nDirection);
        m_pModulus->setText(ModulusText(m_fElasticModulus));
    }
    EnableModeControls();
    m_pPlot->update();
}

void CDlgMechanicalTest::EnableModeControls() {
    for (QWidget* control :
         std::initializer_list<QWidget*>{m_pXDirection, m_pYDirection, m_pZoomOut, m_pZoomIn})
        control->setEnabled(!m_bParallelLine);
}

void CDlgMechanicalTest::OnDirection(int direction) {
    m_nDirection = direction;
    m_pPlot->update();
}

void CDlgMechanicalTest::OnZoomOut() {
    if (ZoomOutMechanicalPlot(m_ranges, m_fZoom)) {
        UpdateScale();
        m_pPlot->update();
    }
}

void CDlgMechanicalTest::OnZoomIn() {
    if (ZoomInMechanicalPlot(m_ranges, m_fZoom)) {
        UpdateScale();
        m_pPlot->update();
    }
}

void CDlgMechanicalTest::OnGraphProperties() {
    CDlgGraphColor dialog(this);
    dialog.SetColours(m_colours);
    if (runGraphColor(dialog) != QDialog::Accepted)
        return;
    m_colours = dialog.GetColours();
    m_pPlot->update();
}

bool CDlgMechanicalTest::CursorBoundsHold(const QPoint& at) const {
    if (m_nDirection == kCursorsOnY)
        return at.y() >= m_plot.top && at.y() <= m_plot.bottom && at.x() < m_pPlot->width();
    return at.x() >= m_plot.left && at.x() <= m_plot.right;
}

void CDlgMechanicalTest::OnPlotPress(const QPoint& at) {
    if (m_bParallelLine)
        return;
    if (m_infoRect.contains(at)) {
        m_bMovingInfo = true;
        m_infoGrab = at - m_infoRect.topLeft();
        return;
    }
    if (!CursorBoundsHold(at))
        return;
    int* cursors = m_nDirection == kCursorsOnY ? m_nCursorY : m_nCursorX;
    const int pos = m_nDirection == kCursorsOnY ? at.y() : at.x();
    m_nActiveCursor = NearerMechanicalCursor(pos, cursors[0], cursors[1]);
    cursors[m_nActiveCursor] = pos;
    m_bDragging = true;
    m_pPlot->update();
}

void CDlgMechanicalTest::OnPlotDrag(const QPoint& at) {
    if (m_bParallelLine)
        return;
    if (m_bMovingInfo) {
        MoveInfoBox(at - m_infoGrab);
        return;
    }
    if (!m_bDragging || !CursorBoundsHold(at))
        return;
    int* cursors = m_nDirection == kCursorsOnY ? m_nCursorY : m_nCursorX;
    cursors[m_nActiveCursor] = m_nDirection == kCursorsOnY ? at.y() : at.x();
    m_pPlot->update();
}

void CDlgMechanicalTest::MoveInfoBox(const QPoint& topLeft) {
    const int x = std::clamp(topLeft.x(), 1, std::max(1, m_pPlot->width() - kInfoMargin));
    const int y = std::clamp(topLeft.y(), 1, std::max(1, m_pPlot->height() - kInfoMargin));
    m_infoRect.moveTopLeft(QPoint(x, y));
    m_pPlot->update();
}

bool CDlgMechanicalTest::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_pPlot)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Paint: {
        RenderPlot();
        QPainter painter(m_pPlot);
        painter.drawImage(0, 0, m_image);
        return true;
    }
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton)
            OnPlotPress(mouse->position().toPoint());
        else if (mouse->button() == Qt::RightButton) {
            QMenu menu(this);
            QAction* item = menu.addAction("图形属性(&C)");
            item->setData(ID_GRAPH_PROPERTIES);
            connect(item, &QAction::triggered, this, [this] { OnGraphProperties(); });
            menu.exec(mouse->globalPosition().toPoint());
        }
        return true;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->buttons() & Qt::LeftButton)
            OnPlotDrag(mouse->position().toPoint());
        return true;
    }
    case QEvent::MouseButtonRelease:
        m_bMovingInfo = false;
        m_bDragging = false;
        return true;
    default:
        return QDialog::eventFilter(watched, event);
    }
}
