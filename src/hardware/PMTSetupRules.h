#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// What the PMT detector setup makes of the texts the operator types, and how it shows a
// reading. The fields keep the texts as typed (they are what the settings file stores);
// only the numbers the driver uses are limited.
namespace varentis {

// The driver's maximum high voltage for the text of "Max voltage": its number, 0 when that
// is negative or not a number, 2000 V at most.
double pmtMaxVoltageOf(std::string_view text);

// The driver's voltage factor for the text of "Voltage factor": its number limited to
// 0.9 .. 1.1 (a text that is not a number gives 0.9).
double pmtVoltageFactorOf(std::string_view text);

// The "Read current" read-out of `current` (A) on the setup's range item 0 ("1 mA") to 5
// ("10 nA"): fixed-point in the range's unit with the range's decimals, e.g. "123.46 nA".
std::string pmtCurrentReadout(double current, std::size_t item);

} // namespace varentis
