// "重要测点观测": a modeless window of the main frame that lists the points
// the user chose (real and virtual channels) with their current values; its
// menu "通道选择" picks the points.
#pragma once

#include <QDialog>

#include <functional>
#include <map>
#include <string>
#include <vector>

class CMSFlexGrid;
class CDlgChannelSelect;

class CDlgKeyPointWatch : public QDialog {
    Q_OBJECT
public:
    static constexpr int ID_CHANNEL_SELECT = 32960;

    explicit CDlgKeyPointWatch(QWidget* parent = nullptr);

    // The data-precision table: measurement type -> decimals.
    void SetPrecisionTable(const std::map<int, int>& decimalsByType) { m_DecimalsByType = decimalsByType; }
    // What the channel selection and the names read of the program.
    std::function<std::vector<int>()> onlineChannels;
    std::function<std::vector<std::string>()> virtualChannelNames;
    std::function<int(int)> measureTypeOf;
    // Runs the selection dialog; tests answer it through this.
    std::function<int(CDlgChannelSelect&)> runChannelSelect;

    void SetPoints(const std::vector<int>& points);
    const std::vector<int>& GetPoints() const { return m_Points; }
    const std::map<int, int>& GetDecimals() const { return m_Decimals; }
    // The current values: float[4096] by channel number and the virtual
    // channels' values by virtual index.
    void UpdateValues(const float* values, const std::map<int, float>& virtualValues);
    // The menu command "通道选择".
    void OnChannelSelect();
    // Names and decimals anew (after a change of the list or the channels).
    void RefreshNames();

    CMSFlexGrid* Grid() const { return m_pGrid; }

private:
    std::vector<int> m_Points;
    std::map<int, int> m_DecimalsByType;
    std::map<int, int> m_Decimals;
    CMSFlexGrid* m_pGrid = nullptr;
};
