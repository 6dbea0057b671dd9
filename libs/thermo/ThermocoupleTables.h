// The NIST ITS-90 reference functions (NIST Monograph 175) and their inverse
// polynomials for the eight thermocouple types, as range tables.
#pragma once

#include "libs/thermo/ThermoRangeTable.h"

namespace thermo {

// Type codes of the exported interface.
enum ThermocoupleType : int { kTypeK, kTypeE, kTypeT, kTypeJ, kTypeB, kTypeS, kTypeR, kTypeN, kTypeCount };

// Temperature (degC) -> voltage (mV); nullptr for an unknown type code.
const ThermoRangeTable* ForwardTable(int type);

// Voltage (mV) -> temperature (degC); nullptr for an unknown type code.
const ThermoRangeTable* InverseTable(int type);

} // namespace thermo
