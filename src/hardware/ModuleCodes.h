#pragma once

#include <cstdint>
#include <span>

// Conversions between SI values and the codes the modules take. Rounding is to the
// nearest integer with halves to the even one, as everywhere the program talks to hardware.
namespace varentis {

// High-voltage code for `voltage` (V): limited to 0 .. maxVoltage, then 2048 − V × factor,
// limited to 0 .. 4095. A voltage that is not a number counts as 0 V. V × factor is worked
// out on the decimals the two numbers were read from, so a product that is exactly a half
// goes to the even code as it would on paper.
int pmtVoltageCode(double voltage, double maxVoltage, double voltageFactor);

// The most sensitive PMT range (0..5) whose full scale holds |current|; range 0 above 1 mA.
// A current equal to a full scale as decimals selects that range (rangeForFullScale).
std::uint8_t pmtRangeFor(double current);

// Pump speed register value for `speedPercent` (sign ignored), 2.55 counts per percent,
// limited to 255. Computed as percent × 255 / 100 so that 50 % gives exactly 127.5 → 128.
std::uint8_t pumpSpeedCode(double speedPercent);

// Pump direction register value: 1 forward, 3 reverse, 0 for 0 (or not a number).
std::uint8_t pumpDirectionCode(double speedPercent);

// The most sensitive range whose full scale holds |current|, from a table of full scales that
// runs from the least sensitive range (index 0) to the most sensitive; index 0 when the
// current exceeds them all, the last index for a current that is not a number. A current
// equal to a full scale selects that range, as exact decimal arithmetic decides it: the
// currents come from typed limits times unit factors (100 × 1e-9 A is a little above the
// double 1e-7), so a few units in the last place above a full scale still count as equal.
std::uint8_t rangeForFullScale(std::span<const double> fullScales, double current);

// The most sensitive potentiostat range (0..6) whose full scale holds |current|.
std::uint8_t ecellRangeFor(double current);

// The potentiostat's potential code and span for `volts`: the narrow span (±2 V, 1024 counts
// per volt) below 2 V in magnitude, else the wide one (±5 V, 409.6 counts per volt); 2048 is
// 0 V, limited to 0 .. 4095, rounded with halves to even. A potential that is not a number
// counts as 0 V.
struct EcellPotentialCode {
    int code = 2048;
    bool wideSpan = false;
    bool operator==(const EcellPotentialCode&) const = default;
};
EcellPotentialCode ecellPotentialCode(double volts);

// Cell current of a reading word: (2048 − raw) × EcellScale of `range` (A); a reading below
// 2048 is a positive current. A range beyond the table counts as the last one.
double ecellReadingCurrent(std::uint16_t raw, std::uint8_t range);

} // namespace varentis
