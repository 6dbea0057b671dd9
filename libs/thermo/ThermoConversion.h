// Thermocouple voltage <-> temperature and platinum RTD resistance -> temperature,
// the exports of the Corvath shared library. Stateless; safe to call from any thread.
#pragma once

#define CORVATH_API __attribute__((visibility("default")))

// Thermocouple type codes: 0 K, 1 E, 2 T, 3 J, 4 B, 5 S, 6 R, 7 N. Any other code gives
// 0.0 from both thermocouple functions. Temperatures are in degrees Celsius, voltages in
// millivolts against a 0 degC reference junction (the caller adds the cold-junction
// voltage before converting back), resistances in ohms.
//
// Outside the range of a type's reference function each direction gives a fixed value:
// the voltage at the range end, or for the inverse the temperature at the range end
// (types K and E clamp their low end to -270 and -267.68 degC, type B gives 44 degC below
// 0 mV). A NaN argument gives NaN; +-infinity gives the fixed value of that side.

// Voltage of a thermocouple of the given type at temperature degC.
CORVATH_API float ThermoTemperatureToVoltage(int type, float degC);

// Temperature of a thermocouple of the given type giving voltage mV. Where the standard
// has no inverse polynomial (type E below -200 degC, type B below 250 degC) the
// temperature is found by bisection on the forward function to within 0.0005 mV; the
// search is bounded, and a voltage it cannot reach gives the nearer end of its interval.
CORVATH_API float ThermoVoltageToTemperature(int type, float mV);

// Temperature of a platinum resistance thermometer of nominal resistance R0 at 0 degC
// (100, 10 or 1000) reading resistance R, by the Callendar-Van Dusen equation of
// IEC 60751. Clamped to -200 ... 850 degC. A NaN argument, or an R0 that is not a
// positive finite number, gives NaN.
CORVATH_API float PtVoltageToTemperature(float R0, float R);
