// "污垢热阻参数设置": heat-exchange area, flow, water density, mass flow and
// specific heat for the fouling thermal-resistance calculation. A modeless
// window of the main frame; "确认" and "应用" keep and save the values.
#pragma once

#include <QDialog>

#include <functional>
#include <string>

#include "project/FoulingParams.h"

class QLineEdit;

class CDlgFoulingResistance : public QDialog {
    Q_OBJECT
public:
    // Builds with every value unset, the calculation's table included.
    explicit CDlgFoulingResistance(QWidget* parent = nullptr);

    // Where "rezu.ini" is written.
    std::function<std::string()> settingsPath;

    // Takes the file's values: the three inputs become the process-wide ones.
    void LoadSettings(const std::string& path);
    // The fields show every value above 0, the others empty.
    void RefreshFields();
    void OnComputeMassFlow();
    // "确认" (hide afterwards) and "应用"; false when a value was refused.
    bool OnApply(bool hideAfter);

    float m_fFlow = FOULING_NOT_SET;    // Q, L/h
    float m_fDensity = FOULING_NOT_SET; // ρ, kg/m³

    QLineEdit* Field(int id) const;

private:
    QLineEdit* m_pArea = nullptr;
    QLineEdit* m_pFlow = nullptr;
    QLineEdit* m_pDensity = nullptr;
    QLineEdit* m_pMassFlow = nullptr;
    QLineEdit* m_pSpecificHeat = nullptr;
};
