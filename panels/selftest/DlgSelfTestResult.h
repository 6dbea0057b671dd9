// The self-test results window ("自检结果"): every strain channel's test
// reading, abnormal readings, open and shorted channels in red.
#pragma once

#include "model/ChannelRecords.h"
#include "panels/selftest/ChannelResultWindow.h"

#include <array>
#include <cstdint>

class CDlgSelfTestResult : public CChannelResultWindow {
    Q_OBJECT
public:
    explicit CDlgSelfTestResult(QWidget* parent = nullptr);

    void ClearResults();
    void SetResults(const float* readings, const std::int32_t* states);

protected:
    int CellsPerChannel() const override { return 2; }
    std::string GroupHeading() const override { return "^  测点号|^测点值(με)"; }
    void FillValueCells(int row, int col, int channel) override;

private:
    std::array<float, MAX_CHANNEL_COUNT> m_readings{};
    std::array<std::int32_t, MAX_CHANNEL_COUNT> m_states{};
};
