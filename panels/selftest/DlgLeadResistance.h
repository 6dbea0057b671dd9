// The lead-wire results window ("导线电阻数据"): every strain channel's
// measured lead resistance and, with three cells a channel, the bridge
// voltage left at the gauge. The last results are kept in "RLead.rst" in the
// program folder and can be exported to a text file.
#pragma once

#include "panels/selftest/ChannelResultWindow.h"
#include "project/LeadWireResults.h"

#include <functional>
#include <memory>

constexpr int ID_EXPORT_LEAD_RESISTANCE = 32928;

class CDlgLeadResistance : public CChannelResultWindow {
    Q_OBJECT
public:
    CDlgLeadResistance(const std::string& programFolder, QWidget* parent = nullptr);

    // Cells a channel (2, or 3 with the far-end voltage); set before the grid is built.
    void SetCellsPerChannel(int cells);
    void ClearResults();
    void SetResults(const float* resistances, const std::int32_t* states);
    // Shows the results of "RLead.rst" when the file is there.
    void ShowSavedResults();
    // The "输出电阻值" command: asks for the file and writes the text export.
    void ExportResults();
    const LeadWireResults& GetResults() const { return *m_results; }
    std::string GetResultsFile() const;

    // The save-file dialog: (title, filter, path out) -> false when cancelled.
    std::function<bool(const std::string&, const std::string&, std::string&)> chooseFile;

protected:
    int CellsPerChannel() const override { return m_nCells; }
    std::string GroupHeading() const override;
    void FillValueCells(int row, int col, int channel) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    std::string m_strProgramFolder;
    int m_nCells = 2;
    std::unique_ptr<LeadWireResults> m_results;
};
