// The test-alarm window ("试验报警") of the main frame: the channels in alarm
// on the latest sample set with their measured values and units. Closing it
// hides it; the frame refills it while it is visible.
#pragma once

#include "acquisition/AlarmEvaluation.h"

#include <QDialog>

#include <vector>

class CMSFlexGrid;

class CDlgTestAlarm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMinGridWidth = 730;
    static constexpr int kMinGridHeight = 387;

    explicit CDlgTestAlarm(QWidget* parent = nullptr);

    // The records of the latest update, replaced whole.
    void SetAlarmList(const std::vector<AlarmEntry>& alarms) { m_alarms = alarms; }
    // Refills the grid from the records held; an empty list leaves the grid
    // as the last update with alarms left it.
    void UpdateAlarmList();
    CMSFlexGrid* GetGrid() const { return m_grid; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void FitGrid();

    std::vector<AlarmEntry> m_alarms;
    CMSFlexGrid* m_grid = nullptr;
};
