// The plot colour dialog of the mechanical-property test.
#include "panels/graph/DlgGraphColor.h"

#include "views/shared/GraphPaintTools.h"
#include "widgets/DialogControls.h"

#include <QGridLayout>
#include <QVBoxLayout>

namespace {

const char* const kSwatchNames[kMechanicalColourCount] = {"图形区背景", "网格线", "曲线",   "平行线",
                                                          "坐标值",     "光标一", "光标二", "信息窗背景"};

} // namespace

MechanicalColours DefaultMechanicalColours() {
    return {0x000000, 0x804000, 0x00FFFF, 0x00FF00, 0xFFFFFF, 0x0000FF, 0xFFFF00, 0xFFFFFF};
}

CDlgGraphColor::CDlgGraphColor(QWidget* parent) : QDialog(parent) {
    setWindowTitle("设置图形属性");
    pickColour = [this](COLORREF& colour) { return PickColourRef(colour, this); };
    auto* grid = new QGridLayout;
    for (int i = 0; i < kMechanicalColourCount; ++i) {
        auto* swatch = NewDialogButton("", "", this);
        swatch->setObjectName(QStringLiteral("swatch%1").arg(i));
        swatch->setFixedSize(48, 20);
        m_swatches[std::size_t(i)] = swatch;
        connect(swatch, &QPushButton::clicked, this, [this, i] { OnSwatch(i); });
        grid->addWidget(NewDialogLabel(kSwatchNames[i], this), i / 2, (i % 2) * 2);
        grid->addWidget(swatch, i / 2, (i % 2) * 2 + 1);
    }
    auto* ok = NewDialogButton("确定", 1, this);
    auto* cancel = NewDialogButton("取消", 2, this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(NewButtonRow({ok, cancel}));
    PaintSwatches();
}

void CDlgGraphColor::SetColours(const MechanicalColours& colours) {
    m_colours = colours;
    PaintSwatches();
}

void CDlgGraphColor::OnSwatch(int i) {
    if (i < 0 || i >= kMechanicalColourCount || !pickColour)
        return;
    COLORREF colour = m_colours[std::size_t(i)];
    if (!pickColour(colour))
        return;
    m_colours[std::size_t(i)] = colour;
    PaintSwatches();
}

void CDlgGraphColor::PaintSwatches() {
    for (int i = 0; i < kMechanicalColourCount; ++i)
        m_swatches[std::size_t(i)]->setStyleSheet(QString("background-color: %1; border: 1px solid black;")
                                                      .arg(ToQColor(m_colours[std::size_t(i)]).name()));
}
