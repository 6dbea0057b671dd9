// The calibrator's result view: a tab per run type over the result grid
// (channels 1-16 by points 0-20 and the maximum error) and the eight fields
// of the test description. Clicks edit the channel list, the voltage point
// and the point tables while no run is active.
#pragma once

#include "calibrator/CalibrateData.h"
#include "calibrator/CalibrateTypes.h"

#include <QWidget>

#include <array>
#include <string>

class CMSFlexGrid;
class QLineEdit;
class QTabBar;

class CKelvaneView : public QWidget {
    Q_OBJECT
public:
    static constexpr unsigned kColorCurrent = 0x00FFFF;   // yellow
    static constexpr unsigned kColorCleared = 0xFFFFFF;   // white
    static constexpr unsigned kColorOverLimit = 0x0000FF; // red

    CKelvaneView(CalibrateData& data, const std::string& settingsPath, QWidget* parent = nullptr);

    CMSFlexGrid* Grid() const { return m_pGrid; }
    QTabBar* Tabs() const { return m_pTabs; }
    int Tab() const;
    void SetTab(int runType);
    // Texts of the tab's results; with markCurrent the current point's
    // column and the current channel's cell yellow; over-limit errors red.
    void RefreshGrid(bool markCurrent = true);
    // Clears the colours, or with marksOnly false also the readings shown.
    void ClearGrid(bool marksOnly);
    void SetEditable(bool editable) { m_bEditable = editable; }

    DetectParam GetDetectParam() const;
    void SetDetectParam(const DetectParam& detect);
    void SetDateText(const std::string& text);

    // A click on a cell (row 0: the heading) as the grid reports it.
    void OnGridClick(int row, int col);
    // Ends the heading edit of a point column with the text.
    void EndPointEdit(int col, const std::string& text);
    QLineEdit* PointEditor() const { return m_pPointEditor; }

private:
    void LayoutGrid();
    void resizeEvent(QResizeEvent* event) override;

    CalibrateData& m_data;
    std::string m_strSettingsPath;
    QTabBar* m_pTabs;
    CMSFlexGrid* m_pGrid;
    QLineEdit* m_pPointEditor;
    int m_nEditCol = -1;
    std::array<QLineEdit*, 8> m_detectFields{};
    bool m_bEditable = true;
};
