// The bar view's property sheet and its colour page.
#include "views/bar/PropSheetBarGraph.h"

#include "model/AppSettings.h"
#include "platform/MessageBox.h"
#include "views/shared/GraphPaintTools.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cmath>

namespace {

const char* const kSwatchNames[CPropSheetBarGraph::kSwatches] = {
    "背景", "边框", "当前值前景", "刻度", "标杆", "最大值前景", "通道标记", "最大值", "当前值", "窗口背景"};

// One sample bar in the chosen colours.
class BarPreview : public QWidget {
public:
    BarPreview(QWidget* parent, const BarColours& colours) : QWidget(parent), m_colours(colours) {
        setMinimumSize(140, 200);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        const BarColours& c = m_colours;
        QPainter painter(this);
        painter.fillRect(rect(), ToQColor(c.viewBack));
        const int h = height() - 40, top = 20;
        const QRect bar(width() / 4, top, width() / 2, h);
        painter.fillRect(bar, ToQColor(c.barBack));
        painter.setPen(ToQColor(c.frame));
        painter.drawRect(bar);
        painter.setPen(ToQColor(c.scale));
        for (int k = 0; k <= 10; ++k)
            painter.drawLine(bar.left() - 4, top + k * h / 10, bar.left() - 1, top + k * h / 10);
        const auto fill = [&](double share, COLORREF colour) {
            const int y = bar.bottom() - int(std::lround(share * h));
            painter.fillRect(QRect(QPoint(bar.left() + 1, y), QPoint(bar.right() - 1, bar.bottom() - 1)),
                             ToQColor(colour));
            return y;
        };
        const int maxY = fill(0.8, c.maxFore);
        fill(0.5, c.fore);
        painter.setPen(ToQColor(c.inside));
        painter.drawLine(bar.right() + 1, maxY, bar.right() + 6, maxY);
        painter.setPen(ToQColor(c.channelTag));
        painter.drawText(bar.left(), top - 4, "CH02");
        painter.setPen(ToQColor(c.maxText));
        painter.drawText(bar.right() + 8, maxY + 4, QString::asprintf("%.0f", 40.0));
        painter.setPen(ToQColor(c.nowText));
        painter.drawText(bar.left(), bar.bottom() + 16, QString::asprintf("%.0f", 25.0));
    }

private:
    const BarColours& m_colours;
};

void PaintSwatch(QPushButton* button, COLORREF colour) {
    button->setStyleSheet(
        QString("background-color: %1; border: 1px solid black;").arg(ToQColor(colour).name()));
}

} // namespace

CPropSheetBarGraph::CPropSheetBarGraph(QWidget* parent) : QDialog(parent) {
    setWindowTitle("棒图属性");
    pickColour = [this](COLORREF& colour) { return PickColourRef(colour, this); };
    auto* tabs = new QTabWidget(this);
    auto* page = new QWidget(tabs);
    auto* bars = new QGroupBox("棒图", page);
    auto* texts = new QGroupBox("文字", page);
    auto* barGrid = new QGridLayout(bars);
    auto* textGrid = new QGridLayout(texts);
    for (int i = 0; i < kSwatches; ++i) {
        auto* swatch = new QPushButton(page);
        swatch->setFixedSize(40, 18);
        m_swatches[std::size_t(i)] = swatch;
        connect(swatch, &QPushButton::clicked, this, [this, i] { ClickColour(i); });
        QGridLayout* grid = i < 6 ? barGrid : textGrid;
        const int row = i < 6 ? i : i - 6;
        grid->addWidget(new QLabel(QString::fromUtf8(kSwatchNames[i]), page), row, 0);
        grid->addWidget(swatch, row, 1);
    }
    m_preview = new BarPreview(page, m_colours);
    auto* sample = new QGroupBox("示例", page);
    (new QVBoxLayout(sample))->addWidget(m_preview);
    m_refresh = new QComboBox(page);
    m_refresh->setEditable(true);
    m_refresh->addItems({"0.5", "1.0", "2.0", "5.0", "10.0"});
    connect(m_refresh->lineEdit(), &QLineEdit::editingFinished, this, [this] { TakeRefreshText(); });
    auto* layout = new QGridLayout(page);
    layout->addWidget(bars, 0, 0);
    layout->addWidget(texts, 1, 0);
    layout->addWidget(sample, 0, 1, 2, 1);
    layout->addWidget(new QLabel("刷新频率", page), 2, 0);
    layout->addWidget(m_refresh, 2, 1);
    tabs->addTab(page, "颜色");

    m_applyAll = new QCheckBox("应用于同类型窗口", this);
    QFont boxFont(QStringLiteral("宋体"));
    boxFont.setPointSizeF(9.3);
    m_applyAll->setFont(boxFont);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton("确定", QDialogButtonBox::AcceptRole);
    buttons->addButton("取消", QDialogButtonBox::RejectRole);
    m_applyButton = buttons->addButton("应用(&A)", QDialogButtonBox::ApplyRole);
    // Apply waits for a change.
    m_applyButton->setEnabled(false);
    connect(ok, &QPushButton::clicked, this, [this] { Ok(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_applyButton, &QPushButton::clicked, this, [this] { Apply(); });
    auto* row = new QHBoxLayout;
    row->addWidget(m_applyAll);
    row->addStretch();
    row->addWidget(buttons);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(tabs, 1);
    outer->addLayout(row);
    ShowColours();
}

COLORREF& CPropSheetBarGraph::Colour(int index) {
    BarColours& c = m_colours;
    COLORREF* colours[kSwatches] = {&c.barBack, &c.frame,      &c.fore,    &c.scale,   &c.inside,
                                    &c.maxFore, &c.channelTag, &c.maxText, &c.nowText, &c.viewBack};
    return *colours[std::clamp(index, 0, kSwatches - 1)];
}

void CPropSheetBarGraph::ShowColours() {
    for (int i = 0; i < kSwatches; ++i)
        PaintSwatch(m_swatches[std::size_t(i)], Colour(i));
    m_refresh->setCurrentText(QString::asprintf("%.1f", m_colours.refresh / 10.0));
    m_preview->update();
}

void CPropSheetBarGraph::SetColours(const BarColours& colours) {
    m_colours = colours;
    if (m_colours.refresh < 1 || m_colours.refresh > 100)
        m_colours.refresh = 10;
    ShowColours();
}

void CPropSheetBarGraph::ClickColour(int index) {
    COLORREF colour = Colour(index);
    if (pickColour && pickColour(colour)) {
        Colour(index) = colour;
        m_applyButton->setEnabled(true);
        ShowColours();
    }
}

void CPropSheetBarGraph::TakeRefreshText() {
    const double rate = m_refresh->currentText().toDouble();
    int tenths = std::isfinite(rate) ? int(std::clamp(rate * 10.0, -1e6, 1e6)) : 0;
    const char* text = nullptr;
    if (tenths > 100) {
        tenths = 100;
        text = "10";
    } else if (tenths < 1) {
        tenths = 1;
        text = "0.1";
    }
    m_applyButton->setEnabled(m_applyButton->isEnabled() || tenths != m_colours.refresh);
    m_colours.refresh = tenths;
    if (text != nullptr) {
        m_refresh->setCurrentText(text);
        platform::MessageBox("超出允许设置范围，正常范围为0.1至10之间!", g_strAppTitle,
                             platform::MB_OK | platform::MB_ICONEXCLAMATION);
        m_refresh->setFocus();
    }
}

bool CPropSheetBarGraph::ApplyToAll() const {
    return m_applyAll->isChecked();
}

void CPropSheetBarGraph::Apply() {
    if (onApply)
        onApply(*this, ApplyToAll());
    m_applyButton->setEnabled(false);
}

void CPropSheetBarGraph::Ok() {
    accept();
}
