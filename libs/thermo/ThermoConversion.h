// Thermocouple voltage <-> temperature and platinum RTD resistance -> temperature,
// the exports of the Corvath shared library. Stateless; safe to call from any thread.
#pragma once

#define CORVATH_API __attribute__((visibility("default")))

// Thermocouple type codes: 0 K, 1 E, 2 T, 3 J, 4 B, 5 S, 6 R, 7 N. Any other code gives
// 0.0 from both thermocouple functions. Temperatures are in degrees Celsius, voltages in
// millivolts against a 0 degC reference junction (the caller adds the cold-junction
// voltage before converting back), resistances in ohms.
//
// Outside its range each direction gives a fixed value. Forward: the voltage at the end
// of the reference function's range. Inverse: above the range the top temperature of the
// type (K 1372, E 1000, T 400, J 1200, B 1820, S and R 1768.1, N 1300 degC); below it
// K -270, E -267.68, T -200, J -210, B 44, S and R -50, N -200 degC. A NaN argument gives
// NaN; +-infinity gives the fixed value of its side.

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
