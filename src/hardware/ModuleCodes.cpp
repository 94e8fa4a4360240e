#include "hardware/ModuleCodes.h"

#include "core/Decimal.h"
#include "core/NumberText.h"
#include "hardware/Registers.h"
#include "hardware/TDevice.h"

#include <algorithm>
#include <cmath>

namespace varentis {

int pmtVoltageCode(double voltage, double maxVoltage, double voltageFactor) {
    double v = voltage;
    if (!(v >= 0.0)) v = 0.0;
    if (v > maxVoltage) v = maxVoltage;
    if (!std::isfinite(v) || !std::isfinite(voltageFactor)) return kPmtZeroVoltCode;
    // Voltage and factor are decimal texts the operator typed. In doubles 1100 × 1.005 comes
    // out a hair above 1105.5 and would round up; as decimals it is exactly the half, which
    // goes to the even code. 2048 is even, so rounding 2048 − x is 2048 minus x rounded.
    constexpr Int128 kBeyondCodes = 1'000'000;
    const Decimal product = multiply(decimalOf(v), decimalOf(voltageFactor));
    const Int128 steps =
        roundedInteger(product).value_or(product.Digits < 0 ? -kBeyondCodes : kBeyondCodes);
    std::int64_t code = kPmtZeroVoltCode -
                        static_cast<std::int64_t>(std::clamp(steps, -kBeyondCodes, kBeyondCodes));
    if (code < 0) code = 0;
    if (code > 4095) code = 4095;
    return static_cast<int>(code);
}

std::uint8_t rangeForFullScale(std::span<const double> fullScales, double current) {
    if (fullScales.empty()) return 0;
    const double magnitude = std::fabs(current);
    auto r = static_cast<std::uint8_t>(fullScales.size() - 1);
    while (r > 0 && magnitude > fullScales[r] && !sameDecimal(magnitude, fullScales[r])) --r;
    return r;
}

std::uint8_t pmtRangeFor(double current) {
    return rangeForFullScale(PMTRangeFullScale, current);
}

std::uint8_t ecellRangeFor(double current) {
    return rangeForFullScale(EcellRangeFullScale, current);
}

EcellPotentialCode ecellPotentialCode(double volts) {
    if (std::isnan(volts)) volts = 0.0;
    EcellPotentialCode c;
    c.wideSpan = !(std::fabs(volts) < 2.0);
    // A typed potential that lies exactly halfway between two codes gives exactly the half
    // here, so it rounds to even as in decimals: 1024 × E only shifts the exponent, and the
    // error of 409.6 × E vanishes when the sum near 2048 is rounded.
    double v = c.wideSpan ? 409.6 * volts + kEcellZeroVoltCode : 1024.0 * volts + kEcellZeroVoltCode;
    if (!(v >= 0.0)) v = 0.0;
    if (v > 4095.0) v = 4095.0;
    c.code = static_cast<int>(rnd(v));
    return c;
}

double ecellReadingCurrent(std::uint16_t raw, std::uint8_t range) {
    const std::size_t r = std::min<std::size_t>(range, EcellScale.size() - 1);
    return (kEcellZeroVoltCode - static_cast<int>(raw)) * EcellScale[r];
}

std::uint8_t pumpSpeedCode(double speedPercent) {
    double s = std::fabs(speedPercent * 255.0 / 100.0);
    if (s > 255.0) s = 255.0;
    return static_cast<std::uint8_t>(rnd(s));
}

std::uint8_t pumpDirectionCode(double speedPercent) {
    if (speedPercent > 0) return kPumpForward;
    if (speedPercent < 0) return kPumpReverse;
    return kPumpStopped;
}

} // namespace varentis
