// The key-point observation window.
#include "panels/channels/DlgKeyPointWatch.h"

#include "model/ChannelNaming.h"
#include "model/KeyPointDecimals.h"
#include "panels/channels/DlgChannelSelect.h"
#include "widgets/DialogControls.h"
#include "widgets/MSFlexGrid.h"

#include <QMenuBar>
#include <QVBoxLayout>

namespace {
constexpr int kRealChannels = 4096;
}

CDlgKeyPointWatch::CDlgKeyPointWatch(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("重要测点观测"));
    m_pGrid = new CMSFlexGrid(this);
    m_pGrid->setObjectName(ControlName(1475));
    m_pGrid->SetFormatString("^序号|^测点|^测量值");
    m_pGrid->SetRows(1);
    auto* menuBar = new QMenuBar(this);
    QAction* select = menuBar->addAction(QString::fromUtf8("通道选择"));
    select->setData(ID_CHANNEL_SELECT);
    connect(select, &QAction::triggered, this, [this] { OnChannelSelect(); });
    // The grid fills the window as it is resized.
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pGrid);
    resize(320, 240);
}

void CDlgKeyPointWatch::SetPoints(const std::vector<int>& points) {
    m_Points = points;
    RefreshNames();
}

void CDlgKeyPointWatch::RefreshNames() {
    const std::vector<std::string> virtualNames =
        virtualChannelNames ? virtualChannelNames() : std::vector<std::string>{};
    m_pGrid->SetRedraw(false);
    m_pGrid->SetRows(int(m_Points.size()) + 1);
    for (std::size_t i = 0; i < m_Points.size(); ++i) {
        const int point = m_Points[i];
        std::string name;
        if (point < kRealChannels)
            name = FormatChannelName(point);
        else if (std::size_t(point - kRealChannels) < virtualNames.size())
            name = virtualNames[std::size_t(point - kRealChannels)];
        m_pGrid->SetTextMatrix(int(i) + 1, 0, std::to_string(i + 1));
        m_pGrid->SetTextMatrix(int(i) + 1, 1, name);
    }
    m_pGrid->SetRedraw(true);
    const auto typeOf = measureTypeOf ? measureTypeOf : [](int) { return -1; };
    m_Decimals = KeyPointDecimals(m_Points, typeOf, m_DecimalsByType);
}

void CDlgKeyPointWatch::UpdateValues(const float* values, const std::map<int, float>& virtualValues) {
    for (std::size_t i = 0; i < m_Points.size(); ++i) {
        const int point = m_Points[i];
        std::string text;
        if (point >= 0 && point < kRealChannels) {
            text = KeyPointValueText(m_Decimals, point, values[point]);
        } else {
            // A virtual channel without a current result shows nothing.
            const auto it = virtualValues.find(point - kRealChannels);
            if (it != virtualValues.end())
                text = KeyPointValueText(m_Decimals, point, it->second);
        }
        m_pGrid->SetTextMatrix(int(i) + 1, 2, text);
    }
}

void CDlgKeyPointWatch::OnChannelSelect() {
    CDlgChannelSelect dialog(onlineChannels ? onlineChannels() : std::vector<int>{},
                             virtualChannelNames ? virtualChannelNames() : std::vector<std::string>{},
                             m_Points, this);
    const int result = runChannelSelect ? runChannelSelect(dialog) : dialog.exec();
    if (result != QDialog::Accepted)
        return;
    SetPoints(dialog.GetChosen());
}
