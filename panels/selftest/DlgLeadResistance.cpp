// The lead-wire results window: results, their file and the text export.
#include "panels/selftest/DlgLeadResistance.h"

#include "platform/Files.h"
#include "platform/Text.h"

#include <QContextMenuEvent>
#include <QMenu>

#include <algorithm>

namespace {

constexpr unsigned kRed = 0x0000FF; // 0x00BBGGRR
constexpr unsigned kBlack = 0x000000;

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

CDlgLeadResistance::CDlgLeadResistance(const std::string& programFolder, QWidget* parent)
    : CChannelResultWindow("导线电阻数据", 6, 6, parent), m_strProgramFolder(programFolder),
      m_results(std::make_unique<LeadWireResults>()) {}

void CDlgLeadResistance::SetCellsPerChannel(int cells) {
    m_nCells = cells == 3 ? 3 : 2;
}

std::string CDlgLeadResistance::GetResultsFile() const {
    return platform::JoinPath(m_strProgramFolder, "RLead.rst");
}

std::string CDlgLeadResistance::GroupHeading() const {
    return m_nCells == 3 ? "^  测点号|^测点值(Ω)|^远端桥压(V)" : "^  测点号|^测点值(Ω)";
}

void CDlgLeadResistance::ClearResults() {
    m_bHasData = false;
    *m_results = LeadWireResults{};
    RefreshGrid();
}

void CDlgLeadResistance::SetResults(const float* resistances, const std::int32_t* states) {
    m_bHasData = true;
    std::copy(resistances, resistances + MAX_CHANNEL_COUNT, m_results->resistances.begin());
    std::copy(states, states + MAX_CHANNEL_COUNT, m_results->states.begin());
    RefreshGrid();
    m_results->voltages.fill(0.0f);
    for (const int channel : GetChannels())
        m_results->voltages[channel] = FarEndBridgeVoltage(channel, m_results->resistances[channel]);
    FillValues();
    WriteLeadResultsFile(GetResultsFile(), *m_results);
}

void CDlgLeadResistance::ShowSavedResults() {
    if (!ReadLeadResultsFile(GetResultsFile(), *m_results))
        return;
    m_bHasData = true;
    RefreshGrid();
}

void CDlgLeadResistance::FillValueCells(int row, int col, int channel) {
    const std::int32_t state = m_results->states[channel];
    if (state == kChannelShorted) {
        SetCell(row, col + 1, "短路", kRed);
    } else if (state == kChannelOpen) {
        SetCell(row, col + 1, "开路", kRed);
    } else {
        SetCell(row, col + 1, platform::Format("%.3f", m_results->resistances[channel]), kBlack);
        if (m_nCells == 3)
            SetCell(row, col + 2, platform::Format("%.3f", m_results->voltages[channel]), kBlack);
    }
}

void CDlgLeadResistance::ExportResults() {
    std::string path;
    if (!chooseFile || !chooseFile("保存数据文件", "导线电阻数据文件(*.txt)|*.txt||", path) || path.empty())
        return;
    if (!EndsWith(path, ".txt"))
        path += ".txt";
    ExportLeadResultsText(path, GetChannels(), *m_results, m_nCells);
}

void CDlgLeadResistance::contextMenuEvent(QContextMenuEvent* event) {
    if (!HasData())
        return;
    QMenu menu(this);
    QAction* exportAction = menu.addAction(QString::fromUtf8("输出电阻值"));
    exportAction->setData(ID_EXPORT_LEAD_RESISTANCE);
    if (menu.exec(event->globalPos()) == exportAction)
        ExportResults();
}
