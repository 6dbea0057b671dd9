// The virtual-channel dialog ("虚拟通道设置"): formulas written with a
// keypad and the list of measured channels, checked as they are added, and
// handed back to the main frame on "应用/计算". Its rules live in
// CVirtualChannelEdit.
#pragma once

#include "datafiles/VirtualChannelEdit.h"

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

class CMSFlexGrid;
class CMsExternGrid;
class QLineEdit;

class CDlgVirtualChannel : public QDialog {
    Q_OBJECT
public:
    struct MeasuredChannel {
        int nChannel = 0;
        std::string strUnit;
    };

    explicit CDlgVirtualChannel(QWidget* parent = nullptr);
    ~CDlgVirtualChannel() override;

    void SetVirtualChannels(const std::vector<VirtualChannelRecord>& records, int count);
    std::vector<VirtualChannelRecord> GetVirtualChannels() const { return m_pEdit->Records(); }
    int GetVirtualChannelCount() const { return m_pEdit->Count(); }
    void SetChannelRange(const FormulaChannelRange& range, const OnlineLayout* layout = nullptr);
    void SetMeasuredChannels(const std::vector<MeasuredChannel>& channels) { m_measured = channels; }

    // Fills both lists; exec() does it first.
    void OnInitDialog();
    int exec() override;

    // A keypad key, as its button does.
    void PressKey(const std::string& key);

private:
    void BuildControls();
    void ShowRows();
    void MarkEditedRow(int previous);
    void OnAdd();
    void OnEdit();
    void OnDelete();
    void OnApply();
    void Warn(const std::string& text);

    std::unique_ptr<CVirtualChannelEdit> m_pEdit;
    FormulaChannelRange m_range;
    const OnlineLayout* m_pLayout = nullptr;
    std::vector<MeasuredChannel> m_measured;
    QLineEdit* m_pFormula = nullptr;
    CMsExternGrid* m_pVirtualGrid = nullptr;
    CMSFlexGrid* m_pChannelGrid = nullptr;
};
