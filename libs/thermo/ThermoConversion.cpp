// The two thermocouple exports: a type code picks the range table of each direction.
#include "libs/thermo/ThermoConversion.h"

#include "libs/thermo/ThermocoupleTables.h"

namespace {

float ConvertByTable(const thermo::ThermoRangeTable* pTable, float x) {
    if (pTable == nullptr)
        return 0.0f;
    return thermo::EvaluateRangeTableAsFloat(*pTable, x);
}

} // namespace

float ThermoTemperatureToVoltage(int type, float degC) {
    return ConvertByTable(thermo::ForwardTable(type), degC);
}

float ThermoVoltageToTemperature(int type, float mV) {
    return ConvertByTable(thermo::InverseTable(type), mV);
}
