// The inputs of the fouling thermal-resistance calculation: heat-exchange
// area, mass flow and specific heat of the circulating water, the flow and
// density the mass flow is computed from, and their settings file "rezu.ini".
#pragma once

#include <array>
#include <string>

constexpr float FOULING_NOT_SET = -100.0f;

// The process-wide values the calculation reads (-100 = not set); the table
// of eight further floats belongs to the calculation itself.
struct FoulingValues {
    float fArea = FOULING_NOT_SET;         // A, m²
    float fMassFlow = FOULING_NOT_SET;     // mc, kg/s
    float fSpecificHeat = FOULING_NOT_SET; // Cpc, J/(kg·K)
    std::array<float, 8> fCalc{FOULING_NOT_SET, FOULING_NOT_SET, FOULING_NOT_SET, FOULING_NOT_SET,
                               FOULING_NOT_SET, FOULING_NOT_SET, FOULING_NOT_SET, FOULING_NOT_SET};
};
extern FoulingValues g_FoulingValues;

// The five values of "rezu.ini", section "param".
struct FoulingFileValues {
    float fArea = FOULING_NOT_SET;         // "A"
    float fMassFlow = FOULING_NOT_SET;     // "Mc"
    float fSpecificHeat = FOULING_NOT_SET; // "Cpc"
    float fFlow = FOULING_NOT_SET;         // "Q", L/h
    float fDensity = FOULING_NOT_SET;      // "P", kg/m³
};

// Each key as text (default "-100") through atof.
FoulingFileValues LoadFoulingFile(const std::string& path);
// "A", "Mc", "Cpc", "Q", "P" in that order, each "%f".
bool SaveFoulingFile(const std::string& path, const FoulingFileValues& values);

// mc = ρ × Q / 3,600,000 (L/h to m³/s); false unless both are above 0.
bool ComputeMassFlow(double flow, double density, double& massFlow);
// The first of A, mc, Cpc that is not above 0, as its message; empty when all are.
std::string CheckFoulingInputs(double area, double massFlow, double specificHeat);
// "%f" of a value above 0, else empty.
std::string FoulingFieldText(float value);
