// NIST ITS-90 thermocouple reference functions (temperature -> EMF) and their
// inverses (EMF -> temperature) for the types K, R, J, S and T.
#pragma once

namespace tessar {

// Returned by both functions outside a type's range or for a letter without
// a table; callers compare for exact equality.
inline constexpr double OutOfRangeValue = -0.123456;
// A channel without a valid value.
inline constexpr double NoDataValue = -0.0001112;

// EMF in mV of thermocouple `letter` at `t` degC.
double TemperatureToMv(char letter, double t);
// Temperature in degC for the EMF mv + cjMv.
double MvToTemperature(char letter, double mv, double cjMv);

}  // namespace tessar
