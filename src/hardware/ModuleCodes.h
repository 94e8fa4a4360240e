#pragma once

#include <cstdint>

// Conversions between SI values and the codes the modules take. Rounding is to the
// nearest integer with halves to the even one, as everywhere the program talks to hardware.
namespace varentis {

// High-voltage code for `voltage` (V): limited to 0 .. maxVoltage, then 2048 − V × factor,
// limited to 0 .. 4095. A voltage that is not a number counts as 0 V. V × factor is worked
// out on the decimals the two numbers were read from, so a product that is exactly a half
// goes to the even code as it would on paper.
int pmtVoltageCode(double voltage, double maxVoltage, double voltageFactor);

// The most sensitive PMT range (0..5) whose full scale holds |current|; range 0 above 1 mA.
std::uint8_t pmtRangeFor(double current);

// Pump speed register value for `speedPercent` (sign ignored), 2.55 counts per percent,
// limited to 255. Computed as percent × 255 / 100 so that 50 % gives exactly 127.5 → 128.
std::uint8_t pumpSpeedCode(double speedPercent);

// Pump direction register value: 1 forward, 3 reverse, 0 for 0 (or not a number).
std::uint8_t pumpDirectionCode(double speedPercent);

} // namespace varentis
