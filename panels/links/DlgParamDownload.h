// The modal dialog "参数下传": the user ticks channels and gives each a zero
// value and a correction value; "下传" hands the ticked triples to the opener
// and keeps every listed channel's texts in "down.pam".
#pragma once

#include <QDialog>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CMsExternGrid;

struct DownloadEntry {
    std::int32_t nChannel = 0;
    float fZero = 0.0f;
    float fCorrect = 0.0f;
};

class CDlgParamDownload : public QDialog {
    Q_OBJECT
public:
    explicit CDlgParamDownload(const std::string& programFolder, QWidget* parent = nullptr);

    void SetChannels(const std::vector<int>& channels) { m_channels = channels; }
    // The stored zero point (raw counts) of a channel, for "导入零点".
    void SetZeroSource(std::function<int(int)> zeroOf) { m_zeroOf = std::move(zeroOf); }
    const std::vector<DownloadEntry>& GetResult() const { return m_result; }
    CMsExternGrid* GetGrid() const { return m_pGrid; }

    void OnInitDialog();
    int exec() override;
    void accept() override;
    void OnGridClick();
    void OnImportZeros();

private:
    void FillGrid();

    std::string m_strFile;
    std::vector<int> m_channels;
    std::vector<std::string> m_zero, m_correct; // texts per listed channel
    std::vector<bool> m_selected;
    std::function<int(int)> m_zeroOf;
    std::vector<DownloadEntry> m_result;
    CMsExternGrid* m_pGrid = nullptr;
};
