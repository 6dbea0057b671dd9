// The frame's settings commands for a test's own set-up: operator rights,
// single-point monitoring, strain compensation, theory values, sensor
// matching, fouling parameters and the key-point observation window. The
// frame owns the theory values; the modeless windows live as long as it.
#pragma once

#include <QObject>

#include <string>
#include <vector>

#include "project/TheoryValueFile.h"

class CMainFrame;
class CDlgSensorMatch;
class CDlgFoulingResistance;
class CDlgKeyPointWatch;

class CMainFrameSettingsDialogs : public QObject {
    Q_OBJECT
public:
    static constexpr int ID_SECURITY_RIGHTS = 32883;
    static constexpr int ID_MONITOR_SETTING = 32897;
    static constexpr int ID_STRAIN_COMPENSATE = 32904;
    static constexpr int ID_THEORY_VALUES = 32934;
    static constexpr int ID_SENSOR_MATCH = 32940;
    static constexpr int ID_FOULING_RESISTANCE = 32942;
    static constexpr int ID_KEY_POINT_WATCH = 32961;

    explicit CMainFrameSettingsDialogs(CMainFrame& frame);
    void Install();

    void OnSecurityRights();
    void OnMonitorSetting();
    void OnStrainCompensate();
    void OnTheoryValues();
    void OnSensorMatch();
    void OnFoulingResistance();
    void OnKeyPointWatch();

    // A project opened or closed: "coe.ini" and "rezu.ini" are read again
    // where the program now writes them.
    void OnProjectChanged();
    // Every new sample set while the key-point window is visible.
    void UpdateKeyPointValues();

    const TheoryValueTable& GetTheoryValues() const { return m_TheoryValues; }
    const std::vector<std::string>& GetSampleDescriptions() const { return m_SampleDescriptions; }
    CDlgSensorMatch* GetSensorMatch() const { return m_pSensorMatch; }
    CDlgFoulingResistance* GetFoulingResistance() const { return m_pFouling; }
    CDlgKeyPointWatch* GetKeyPointWatch() const { return m_pKeyPointWatch; }

private:
    std::string ProjectFolder() const;
    void LoadSettingsFiles(bool programFolderOnly);
    void RefreshCurveTheoryValues();

    CMainFrame& m_frame;
    TheoryValueTable m_TheoryValues;
    std::vector<std::string> m_SampleDescriptions;
    CDlgSensorMatch* m_pSensorMatch = nullptr;
    CDlgFoulingResistance* m_pFouling = nullptr;
    CDlgKeyPointWatch* m_pKeyPointWatch = nullptr;
};

CMainFrameSettingsDialogs* InstallSettingsDialogs(CMainFrame& frame);
