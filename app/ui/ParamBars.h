// The two docked bars as the main frame sees them: the sampling-parameter
// bar keeps the sampling settings record and the run state, the
// channel-parameter bar rebuilds itself from the channel tables. Their
// controls come with the panels themselves.
#pragma once

#include <QWidget>

#include "app/SampleSettings.h"

class CSampleParamBar : public QWidget {
    Q_OBJECT
public:
    explicit CSampleParamBar(QWidget* parent = nullptr);

    // Non-zero when the bar's inputs are valid and copied into the record.
    int GetSampleSettings(SampleSettings& settings, int showMessages) const;
    void SetSampleSettings(const SampleSettings& settings) { m_Settings = settings; }
    void SetRunState(int state) { m_nRunState = state; }
    int GetRunState() const { return m_nRunState; }
    void EnableInputs(bool enable) { setEnabled(enable); }
    void ShowSettings() {}

private:
    SampleSettings m_Settings;
    int m_nRunState = 0;
};

class CChannelParamBar : public QWidget {
    Q_OBJECT
public:
    explicit CChannelParamBar(QWidget* parent = nullptr);

    void BeginRefresh() {}
    void InitTypeTabs() {}
    void FillCaseTabs() {}
    void ShowSelectedTypePage() {}
    void BuildShownChannelList();
};
