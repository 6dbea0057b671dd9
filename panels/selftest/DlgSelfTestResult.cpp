// The self-test results window.
#include "panels/selftest/DlgSelfTestResult.h"

#include "platform/Text.h"
#include "project/LeadWireResults.h"

#include <algorithm>

namespace {

constexpr unsigned kRed = 0x0000FF; // 0x00BBGGRR
constexpr unsigned kBlack = 0x000000;

} // namespace

CDlgSelfTestResult::CDlgSelfTestResult(QWidget* parent) : CChannelResultWindow("自检结果", 8, 8, parent) {}

void CDlgSelfTestResult::ClearResults() {
    m_bHasData = false;
    m_readings.fill(0.0f);
    m_states.fill(0);
    RefreshGrid();
}

void CDlgSelfTestResult::SetResults(const float* readings, const std::int32_t* states) {
    m_bHasData = true;
    std::copy(readings, readings + MAX_CHANNEL_COUNT, m_readings.begin());
    std::copy(states, states + MAX_CHANNEL_COUNT, m_states.begin());
    RefreshGrid();
}

void CDlgSelfTestResult::FillValueCells(int row, int col, int channel) {
    const std::int32_t state = m_states[channel];
    if (state == kChannelShorted)
        SetCell(row, col + 1, "短路", kRed);
    else if (state == kChannelOpen)
        SetCell(row, col + 1, "开路", kRed);
    else
        SetCell(row, col + 1, platform::Format("%.3f", m_readings[channel]),
                state == kSelfTestAbnormal ? kRed : kBlack);
}
