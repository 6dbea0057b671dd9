// The real-time curve view's property sheet and its five pages.
#include "views/curve/PropRealTimeViewSheet.h"

#include "views/shared/GraphPaintTools.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleValidator>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cmath>

namespace {

const char* const kColourNames[21] = {
    "窗口背景", "图形区背景", "光标读数背景", "统计信息背景", "光标一", "光标二",   "曲线一",
    "曲线二",   "曲线三",     "曲线四",       "曲线五",       "曲线六", "曲线七",   "曲线八",
    "网格线",   "外框线",     "横坐标",       "纵坐标",       "通道号", "光标读数", "统计信息"};
const char* const kCurveNames[8] = {"曲线一", "曲线二", "曲线三", "曲线四",
                                    "曲线五", "曲线六", "曲线七", "曲线八"};
const char* const kLineEntries[kLineTypeEntries] = {"曲线一", "曲线二", "曲线三", "曲线四",
                                                    "网格线", "外框线", "光标一", "光标二"};
const char* const kFontSlotNames[kFontSlots] = {"X轴坐标",  "Y轴坐标",  "X轴单位",  "Y轴单位",   "光标读数",
                                                "统计信息", "光标标注", "文本注释", "测点标识符"};
const char* const kOptionNames[8] = {"网格线", "统计信息", "图例",   "最大值",
                                     "最小值", "平均值",   "标准差", "峰峰值"};

// The sample line of the line-type page: a sine in the chosen pen.
class LinePreview : public QWidget {
public:
    explicit LinePreview(QWidget* parent) : QWidget(parent) { setMinimumSize(160, 60); }
    LineTypeEntry entry;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        painter.setPen(PenFromStyle(entry.style, entry.width, 0));
        QPolygon line;
        for (int x = 4; x < width() - 4; ++x)
            line.append(QPoint(x, height() / 2 -
                                      int(std::lround((height() / 3.0) * std::sin((x - 4) * 6.283 / 80.0)))));
        painter.drawPolyline(line);
    }
};

void PaintSwatch(QPushButton* button, COLORREF colour) {
    button->setStyleSheet(
        QString("background-color: %1; border: 1px solid black;").arg(ToQColor(colour).name()));
}

} // namespace

CPropRealTimeViewSheet::CPropRealTimeViewSheet(const CGraphDisplayOptions& options,
                                               const RealViewOption& option, int displayKind, int sampleMode,
                                               QWidget* parent)
    : QDialog(parent), m_record(options), m_option(option), m_nDisplayKind(displayKind),
      m_nSampleMode(sampleMode), m_tabs(new QTabWidget(this)) {
    Build();
}

CPropRealTimeViewSheet::CPropRealTimeViewSheet(const CGraphDisplayOptions& options,
                                               const HistoryPages& history, QWidget* parent)
    : QDialog(parent), m_history(history), m_bHistory(true), m_record(options), m_nDisplayKind(1),
      m_nSampleMode(0), m_tabs(new QTabWidget(this)) {
    Build();
}

CPropRealTimeViewSheet::~CPropRealTimeViewSheet() = default;

void CPropRealTimeViewSheet::Build() {
    setWindowTitle("图形属性");
    if (QScreen* screen = QGuiApplication::primaryScreen())
        m_nPixelsPerInch = std::max(1, int(std::lround(screen->logicalDotsPerInchY())));
    pickColour = [this](COLORREF& colour) { return PickColourRef(colour, this); };
    m_tabs->addTab(MakeColourPage(), "颜色");
    m_tabs->addTab(MakeFontPage(), "字体");
    m_tabs->addTab(MakeLinePage(), "线形");
    m_tabs->addTab(MakeCoordPage(), "坐标");
    m_tabs->addTab(m_bHistory ? MakeHistoryOptionPage() : MakeOptionPage(), "选项");

    m_applyAll = new QCheckBox("应用于同类型窗口", this);
    QFont boxFont(QStringLiteral("宋体"));
    boxFont.setPointSizeF(9.3);
    m_applyAll->setFont(boxFont);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton("确定", QDialogButtonBox::AcceptRole);
    buttons->addButton("取消", QDialogButtonBox::RejectRole);
    m_applyButton = buttons->addButton("应用(&A)", QDialogButtonBox::ApplyRole);
    // The real-time sheet offers Apply from the start, the history sheet after a change.
    m_applyButton->setEnabled(!m_bHistory);
    if (m_bHistory)
        MarkModifiedOnChanges();
    connect(ok, &QPushButton::clicked, this, [this] { Ok(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_applyButton, &QPushButton::clicked, this, [this] { Apply(); });
    auto* row = new QHBoxLayout;
    row->addWidget(m_applyAll);
    row->addStretch();
    row->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs, 1);
    layout->addLayout(row);
}

void CPropRealTimeViewSheet::MarkModifiedOnChanges() {
    const auto modified = [this] { m_applyButton->setEnabled(true); };
    for (QComboBox* box : m_tabs->findChildren<QComboBox*>())
        connect(box, &QComboBox::currentIndexChanged, this, modified);
    for (QAbstractButton* button : m_tabs->findChildren<QAbstractButton*>())
        connect(button, &QAbstractButton::clicked, this, modified);
    for (QLineEdit* edit : m_tabs->findChildren<QLineEdit*>())
        connect(edit, &QLineEdit::textEdited, this, modified);
    for (QSpinBox* box : m_tabs->findChildren<QSpinBox*>())
        connect(box, &QSpinBox::valueChanged, this, modified);
}

QWidget* CPropRealTimeViewSheet::MakeHistoryOptionPage() {
    auto* page = new QWidget(this);
    m_bandCount = new QComboBox(page);
    for (int i = 1; i <= 8; ++i)
        m_bandCount->addItem(QString::number(i));
    m_bandCount->setCurrentIndex(std::clamp(m_history.nBandsPerPage, 1, 8) - 1);
    m_gridCheck = new QCheckBox("网格线", page);
    m_gridCheck->setChecked(m_history.nIsGrid != 0);
    auto* layout = new QGridLayout(page);
    layout->addWidget(new QLabel("通道显示个数", page), 0, 0);
    layout->addWidget(m_bandCount, 0, 1);
    layout->addWidget(m_gridCheck, 1, 0, 1, 2);
    layout->setRowStretch(2, 1);
    return page;
}

bool CPropRealTimeViewSheet::ApplyToAll() const {
    return m_applyAll->isChecked();
}

// ------------------------------------------------------------- colour page

COLORREF& CPropRealTimeViewSheet::Colour(int index) {
    CGraphDisplayOptions& o = m_record;
    COLORREF* colours[21] = {&o.m_clrViewBack, &o.m_clrDataLineBack, &o.m_clrCursorBack, &o.m_clrInfoBack,
                             &o.m_Cursor[0],   &o.m_Cursor[1],       &o.m_Line[0],       &o.m_Line[1],
                             &o.m_Line[2],     &o.m_Line[3],         &o.m_Line[4],       &o.m_Line[5],
                             &o.m_Line[6],     &o.m_Line[7],         &o.m_Grid,          &o.m_LineFrame,
                             &o.m_clrXScale,   &o.m_clrYScale,       &o.m_clrChannelID,  &o.m_clrCursorData,
                             &o.m_clrTotalMsg};
    return *colours[std::clamp(index, 0, 20)];
}

void CPropRealTimeViewSheet::ShowSwatch(int index) {
    if (m_swatches[std::size_t(index)] != nullptr)
        PaintSwatch(m_swatches[std::size_t(index)], Colour(index));
    if (m_curveSwatch != nullptr)
        PaintSwatch(m_curveSwatch, Colour(6 + std::max(m_curveChoice->currentIndex(), 0)));
}

void CPropRealTimeViewSheet::ClickColour(int index) {
    COLORREF colour = Colour(index);
    if (pickColour && pickColour(colour)) {
        Colour(index) = colour;
        ShowSwatch(index);
    }
}

QWidget* CPropRealTimeViewSheet::MakeColourPage() {
    auto* page = new QWidget(this);
    auto* grid = new QGridLayout(page);
    int shown = 0;
    // The history view's ten colours: backgrounds, cursors, the data line,
    // grid, frame, scales and channel label.
    const auto history = [](int i) { return i <= 1 || (i >= 4 && i <= 6) || (i >= 14 && i <= 18); };
    for (int i = 0; i < 21; ++i) {
        // Curves five to eight are reached through the curve choice.
        if ((i >= 10 && i <= 13) || (m_bHistory && !history(i)))
            continue;
        auto* swatch = new QPushButton(page);
        swatch->setFixedSize(40, 18);
        m_swatches[std::size_t(i)] = swatch;
        connect(swatch, &QPushButton::clicked, this, [this, i] { ClickColour(i); });
        grid->addWidget(new QLabel(QString::fromUtf8(kColourNames[i]), page), shown / 3, (shown % 3) * 2);
        grid->addWidget(swatch, shown / 3, (shown % 3) * 2 + 1);
        ++shown;
    }
    if (m_bHistory) {
        for (int i = 0; i < 21; ++i)
            ShowSwatch(i);
        grid->setRowStretch((shown + 2) / 3, 1);
        return page;
    }
    const int row = (shown + 2) / 3;
    m_curveChoice = new QComboBox(page);
    for (const char* name : kCurveNames)
        m_curveChoice->addItem(QString::fromUtf8(name));
    m_curveSwatch = new QPushButton(page);
    m_curveSwatch->setFixedSize(40, 18);
    grid->addWidget(new QLabel("曲线选择", page), row, 0);
    grid->addWidget(m_curveChoice, row, 1);
    grid->addWidget(new QLabel("对应颜色", page), row, 2);
    grid->addWidget(m_curveSwatch, row, 3);
    connect(m_curveChoice, &QComboBox::currentIndexChanged, this, [this] { ShowSwatch(0); });
    connect(m_curveSwatch, &QPushButton::clicked, this,
            [this] { ClickColour(6 + std::max(m_curveChoice->currentIndex(), 0)); });
    for (int i = 0; i < 21; ++i)
        ShowSwatch(i);
    return page;
}

// --------------------------------------------------------------- font page

QWidget* CPropRealTimeViewSheet::MakeFontPage() {
    auto* page = new QWidget(this);
    const std::array<LOGFONT*, kFontSlots> slots_ = FontSlots(m_record);
    for (int i = 0; i < kFontSlots; ++i)
        m_fonts[std::size_t(i)] = *slots_[std::size_t(i)];
    auto* slotBox = new QGroupBox(page);
    auto* slotLayout = new QGridLayout(slotBox);
    auto* group = new QButtonGroup(page);
    for (int i = 0; i < kFontSlots; ++i) {
        auto* radio = new QRadioButton(QString::fromUtf8(kFontSlotNames[i]), slotBox);
        group->addButton(radio, i);
        slotLayout->addWidget(radio, i / 3, i % 3);
    }
    group->button(0)->setChecked(true);
    connect(group, &QButtonGroup::idClicked, this, [this](int id) { ChooseFontSlot(id); });
    m_fontFace = new QComboBox(page);
    m_fontFace->setEditable(true);
    QStringList faces;
    for (const QString& family : QFontDatabase::families()) {
        const QString name = family.trimmed();
        if (!name.isEmpty() && !faces.contains(name))
            faces.append(name);
    }
    m_fontFace->addItems(faces);
    m_fontStyle = new QComboBox(page);
    m_fontStyle->setEditable(true);
    m_fontStyle->addItems({"Regular", "Bold", "Italic", "Bold Italic"});
    m_fontSize = new QComboBox(page);
    m_fontSize->setEditable(true);
    m_fontSize->addItems(
        {"8", "9", "10", "11", "12", "14", "16", "18", "20", "22", "24", "26", "28", "36", "48"});
    m_strike = new QCheckBox("删除线", page);
    m_underline = new QCheckBox("下划线", page);
    m_fontSample = new QLabel("AaBbYyZz 示例", page);
    m_fontSample->setMinimumHeight(50);
    m_fontSample->setAlignment(Qt::AlignCenter);
    auto* form = new QFormLayout;
    form->addRow("字体", m_fontFace);
    form->addRow("样式", m_fontStyle);
    form->addRow("大小", m_fontSize);
    auto* effects = new QHBoxLayout;
    effects->addWidget(m_strike);
    effects->addWidget(m_underline);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(slotBox);
    layout->addLayout(form);
    layout->addLayout(effects);
    layout->addWidget(m_fontSample, 1);
    for (QComboBox* box : {m_fontFace, m_fontStyle, m_fontSize})
        connect(box, &QComboBox::currentTextChanged, this, [this] { RebuildCurrentFont(); });
    connect(m_strike, &QCheckBox::clicked, this, [this] { RebuildCurrentFont(); });
    connect(m_underline, &QCheckBox::clicked, this, [this] { RebuildCurrentFont(); });
    ShowFontSlot();
    return page;
}

void CPropRealTimeViewSheet::ChooseFontSlot(int slot) {
    m_nFontSlot = std::clamp(slot, 0, kFontSlots - 1);
    ShowFontSlot();
}

void CPropRealTimeViewSheet::ShowFontSlot() {
    const LOGFONT& font = m_fonts[std::size_t(m_nFontSlot)];
    m_bShowingFont = true;
    m_strike->setChecked(font.lfStrikeOut != 0);
    m_underline->setChecked(font.lfUnderline != 0);
    m_fontFace->setCurrentText(QString::fromStdString(font.GetFaceName()));
    m_fontSize->setCurrentText(QString::number(FontSizeShown(font, m_nPixelsPerInch)));
    m_fontStyle->setCurrentText(QString::fromStdString(FontStyleText(font)));
    m_fontSample->setFont(FontFromLogFont(font));
    m_bShowingFont = false;
}

void CPropRealTimeViewSheet::RebuildCurrentFont() {
    if (m_bShowingFont)
        return;
    LOGFONT& slot = m_fonts[std::size_t(m_nFontSlot)];
    slot = RebuildFont(slot, m_fontFace->currentText().toStdString(),
                       m_fontStyle->currentText().toStdString(), m_fontSize->currentText().toStdString(),
                       m_strike->isChecked(), m_underline->isChecked(), m_nPixelsPerInch);
    m_fontSample->setFont(FontFromLogFont(slot));
}

// ---------------------------------------------------------- line-type page

QWidget* CPropRealTimeViewSheet::MakeLinePage() {
    auto* page = new QWidget(this);
    m_lines = LoadLineTypes(m_record);
    auto* entries = new QGroupBox(page);
    auto* entryLayout = new QGridLayout(entries);
    auto* group = new QButtonGroup(page);
    for (int i = 0; i < kLineTypeEntries; ++i) {
        auto* radio = new QRadioButton(QString::fromUtf8(kLineEntries[i]), entries);
        group->addButton(radio, i);
        entryLayout->addWidget(radio, i / 4, i % 4);
    }
    group->button(0)->setChecked(true);
    connect(group, &QButtonGroup::idClicked, this, [this](int id) { ChooseLineEntry(id); });
    m_lineStyle = new QComboBox(page);
    m_lineStyle->addItems({"Solid", "Dash", "Dot", "DashDot", "DashDotDot"});
    m_lineWidth = new QComboBox(page);
    m_lineWidth->addItems({"1", "2", "3", "4", "5"});
    m_linePreview = new LinePreview(page);
    auto* form = new QFormLayout;
    form->addRow("样式", m_lineStyle);
    form->addRow("宽度", m_lineWidth);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(entries);
    layout->addLayout(form);
    layout->addWidget(m_linePreview, 1);
    layout->addWidget(new QLabel("注：当线条的宽度大于1\n时，样式参数不起作用。", page));
    const auto changed = [this] {
        if (m_bShowingLine)
            return;
        m_lines[std::size_t(m_nLineEntry)] = {m_lineStyle->currentIndex(), m_lineWidth->currentIndex() + 1};
        ShowLineEntry();
    };
    connect(m_lineStyle, &QComboBox::currentIndexChanged, this, changed);
    connect(m_lineWidth, &QComboBox::currentIndexChanged, this, changed);
    ShowLineEntry();
    return page;
}

void CPropRealTimeViewSheet::ChooseLineEntry(int entry) {
    m_nLineEntry = std::clamp(entry, 0, kLineTypeEntries - 1);
    ShowLineEntry();
}

void CPropRealTimeViewSheet::ShowLineEntry() {
    LineTypeEntry& entry = m_lines[std::size_t(m_nLineEntry)];
    m_bShowingLine = true;
    m_lineStyle->setCurrentIndex(ShownPenStyle(entry.style));
    m_lineWidth->setCurrentIndex(ShownPenWidth(entry.width) - 1);
    m_bShowingLine = false;
    static_cast<LinePreview*>(m_linePreview)->entry = {ShownPenStyle(entry.style),
                                                       ShownPenWidth(entry.width)};
    m_linePreview->update();
}

// ------------------------------------------------------- coordinate page

QWidget* CPropRealTimeViewSheet::MakeCoordPage() {
    auto* page = new QWidget(this);
    const CoordValues v = LoadCoord(m_record);
    const float values[4] = {v.fYmax, v.fYmin, v.fXmax, v.fXmin};
    for (int i = 0; i < 4; ++i) {
        m_coordEdits[std::size_t(i)] = new QLineEdit(QString::asprintf("%.3f", double(values[i])), page);
        m_coordEdits[std::size_t(i)]->setValidator(new QDoubleValidator(page));
    }
    // The X range is edited only for XY curves.
    m_coordEdits[2]->setEnabled(m_nDisplayKind == 2);
    m_coordEdits[3]->setEnabled(m_nDisplayKind == 2);
    const auto gridBox = [page](int value) {
        auto* box = new QSpinBox(page);
        box->setRange(1, 128);
        box->setValue(std::clamp(value, 1, 128));
        return box;
    };
    m_xGrid = gridBox(v.nXGridCount);
    m_yGrid = gridBox(v.nYGridCount);
    const auto precisionBox = [page](int value) {
        auto* box = new QComboBox(page);
        for (int i = 0; i <= 7; ++i)
            box->addItem(QString::number(i));
        box->setCurrentIndex(std::clamp(value, 0, 7));
        return box;
    };
    m_xPrecision = precisionBox(v.nXPrecision);
    m_yPrecision = precisionBox(v.nYPrecision);
    auto* scales = new QGroupBox(page);
    auto* scaleLayout = new QHBoxLayout(scales);
    const char* scaleNames[3] = {"默认刻度", "自动刻度", "固定刻度"};
    for (int i = 0; i < 3; ++i) {
        m_scaleButtons[std::size_t(i)] = new QRadioButton(QString::fromUtf8(scaleNames[i]), scales);
        scaleLayout->addWidget(m_scaleButtons[std::size_t(i)]);
    }
    m_scaleButtons[std::size_t(std::clamp(v.nScareType, 0, 2))]->setChecked(true);
    m_yType = new QComboBox(page);
    if (v.nLineType == 2) {
        m_yType->addItems({"ε1", "ε2", "σ1", "σ2", "τ_Max", "ψ"});
    } else if (v.nLineType == 4) {
        m_yType->addItems({"ε1", "ε2", "ε3", "γ", "σ_max", "σ_min", "σx", "σy", "σr"});
    } else {
        m_yType->addItem("ε1");
        m_yType->setEnabled(false);
    }
    m_yType->setCurrentIndex(std::clamp(v.nYType, 0, std::max(m_yType->count() - 1, 0)));
    m_xShowType = new QComboBox(page);
    m_xShowType->addItems({"次数", "时间"});
    m_xShowType->setCurrentIndex(v.nXShowType == 1 ? 1 : 0);
    m_xShowType->setEnabled(m_nSampleMode == 2);
    auto* form = new QGridLayout(page);
    form->addWidget(new QLabel("Y轴 最大值", page), 0, 0);
    form->addWidget(m_coordEdits[0], 0, 1);
    form->addWidget(new QLabel("最小值", page), 0, 2);
    form->addWidget(m_coordEdits[1], 0, 3);
    form->addWidget(new QLabel("X轴 最大值", page), 1, 0);
    form->addWidget(m_coordEdits[2], 1, 1);
    form->addWidget(new QLabel("最小值", page), 1, 2);
    form->addWidget(m_coordEdits[3], 1, 3);
    form->addWidget(new QLabel("网格 X方向", page), 2, 0);
    form->addWidget(m_xGrid, 2, 1);
    form->addWidget(new QLabel("Y方向", page), 2, 2);
    form->addWidget(m_yGrid, 2, 3);
    form->addWidget(new QLabel("X轴读数", page), 3, 0);
    form->addWidget(m_xPrecision, 3, 1);
    form->addWidget(new QLabel("Y轴读数", page), 3, 2);
    form->addWidget(m_yPrecision, 3, 3);
    form->addWidget(scales, 4, 0, 1, 4);
    form->addWidget(new QLabel("坐标轴显示类型", page), 5, 0);
    form->addWidget(m_yType, 5, 1);
    form->addWidget(new QLabel("X轴显示", page), 5, 2);
    form->addWidget(m_xShowType, 5, 3);
    form->setRowStretch(6, 1);
    if (m_bHistory) {
        // The history view's time axis follows its window.
        for (QLayoutItem* item : {form->itemAtPosition(1, 0), form->itemAtPosition(1, 2),
                                  form->itemAtPosition(5, 0), form->itemAtPosition(5, 2)})
            item->widget()->hide();
        for (QWidget* field : {static_cast<QWidget*>(m_coordEdits[2]), static_cast<QWidget*>(m_coordEdits[3]),
                               static_cast<QWidget*>(m_yType), static_cast<QWidget*>(m_xShowType)})
            field->hide();
    }
    return page;
}

// ----------------------------------------------------------- option page

QWidget* CPropRealTimeViewSheet::MakeOptionPage() {
    auto* page = new QWidget(this);
    const std::int32_t fields[8] = {m_option.nGrid,   m_option.nStatistics, m_option.nLegend,
                                    m_option.nMax,    m_option.nMin,        m_option.nAverage,
                                    m_option.nStdDev, m_option.nPeakPeak};
    auto* layout = new QGridLayout(page);
    for (int i = 0; i < 8; ++i) {
        m_optionChecks[std::size_t(i)] = new QCheckBox(QString::fromUtf8(kOptionNames[i]), page);
        m_optionChecks[std::size_t(i)]->setChecked(fields[i] != 0);
        layout->addWidget(m_optionChecks[std::size_t(i)], i < 3 ? 0 : 1 + (i - 3) / 3,
                          i < 3 ? i : (i - 3) % 3);
    }
    connect(m_optionChecks[1], &QCheckBox::toggled, this, [this] { UpdateOptionEnabling(); });
    auto* modes = new QGroupBox("分布显示", page);
    auto* modeLayout = new QGridLayout(modes);
    m_auto = new QRadioButton("自动", modes);
    m_manual = new QRadioButton("手动", modes);
    (m_option.nAutoDistribution != 0 ? m_auto : m_manual)->setChecked(true);
    m_groups = new QSpinBox(modes);
    m_groups->setRange(0, 99);
    m_groups->setValue(m_option.nAutoGroups);
    modeLayout->addWidget(m_auto, 0, 0);
    modeLayout->addWidget(m_manual, 0, 1);
    modeLayout->addWidget(new QLabel("自动方式显示组数", modes), 1, 0);
    modeLayout->addWidget(m_groups, 1, 1);
    connect(m_auto, &QRadioButton::toggled, this, [this] { UpdateOptionEnabling(); });
    m_peaks = new QLineEdit(QString::number(m_option.nPeakListCount), page);
    // On leaving the field the count is brought into 0..20.
    connect(m_peaks, &QLineEdit::editingFinished, this,
            [this] { m_peaks->setText(QString::number(ClampPeakListCount(m_peaks->text().toInt()))); });
    layout->addWidget(modes, 3, 0, 1, 3);
    layout->addWidget(new QLabel("峰值列表数", page), 4, 0);
    layout->addWidget(m_peaks, 4, 1);
    layout->setRowStretch(5, 1);
    UpdateOptionEnabling();
    return page;
}

void CPropRealTimeViewSheet::UpdateOptionEnabling() {
    for (int i = 3; i < 8; ++i)
        m_optionChecks[std::size_t(i)]->setEnabled(m_optionChecks[1]->isChecked());
    const bool distribution = m_nDisplayKind == 3;
    m_auto->setEnabled(distribution);
    m_manual->setEnabled(distribution);
    m_groups->setEnabled(distribution && m_auto->isChecked());
}

// ------------------------------------------------------------ apply and OK

bool CPropRealTimeViewSheet::StorePages() {
    if (m_bHistory) {
        m_history.nBandsPerPage = m_bandCount->currentIndex() + 1;
        m_history.nIsGrid = m_gridCheck->isChecked() ? 1 : 0;
    }
    if (!m_bHistory) {
        RealViewOption page = m_option;
        std::int32_t* fields[8] = {&page.nGrid, &page.nStatistics, &page.nLegend, &page.nMax,
                                   &page.nMin,  &page.nAverage,    &page.nStdDev, &page.nPeakPeak};
        for (int i = 0; i < 8; ++i)
            *fields[i] = m_optionChecks[std::size_t(i)]->isChecked() ? 1 : 0;
        page.nAutoDistribution = m_auto->isChecked() ? 1 : 0;
        page.nAutoGroups = m_groups->value();
        page.nPeakListCount = m_peaks->text().toInt();
        if (!StoreRealViewOption(page, m_option))
            return false;
    }
    CoordValues v = LoadCoord(m_record);
    v.fYmax = m_coordEdits[0]->text().toFloat();
    v.fYmin = m_coordEdits[1]->text().toFloat();
    v.fXmax = m_coordEdits[2]->text().toFloat();
    v.fXmin = m_coordEdits[3]->text().toFloat();
    v.nXGridCount = m_xGrid->value();
    v.nYGridCount = m_yGrid->value();
    v.nXPrecision = m_xPrecision->currentIndex();
    v.nYPrecision = m_yPrecision->currentIndex();
    for (int i = 0; i < 3; ++i)
        if (m_scaleButtons[std::size_t(i)]->isChecked())
            v.nScareType = i;
    if (m_yType->isEnabled())
        v.nYType = m_yType->currentIndex();
    v.nXShowType = m_xShowType->currentIndex();
    StoreCoord(v, m_record);
    StoreLineTypes(m_lines, m_record);
    const std::array<LOGFONT*, kFontSlots> slots_ = FontSlots(m_record);
    for (int i = 0; i < kFontSlots; ++i)
        *slots_[std::size_t(i)] = m_fonts[std::size_t(i)];
    return true;
}

bool CPropRealTimeViewSheet::Apply() {
    if (!StorePages())
        return false;
    if (onApply)
        onApply(*this, ApplyToAll());
    return true;
}

void CPropRealTimeViewSheet::Ok() {
    if (Apply())
        accept();
}
