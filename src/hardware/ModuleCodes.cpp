#include "hardware/ModuleCodes.h"

#include "core/NumberText.h"
#include "hardware/Registers.h"
#include "hardware/TDevice.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace varentis {

namespace {

__extension__ typedef unsigned __int128 Wide;

// A double as the decimal number it was read from: the shortest digits that give it back,
// value = ±digits × 10^exponent.
struct DecimalValue {
    std::uint64_t digits = 0;
    int exponent = 0;
    bool negative = false;
};

DecimalValue decimalOf(double value) {
    DecimalValue d;
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
    const char* p = buf;
    const char* end = res.ptr;
    if (p < end && *p == '-') d.negative = true, ++p;
    int fractionDigits = 0;
    bool inFraction = false;
    for (; p < end && *p != 'e'; ++p) {
        if (*p == '.') inFraction = true;
        else {
            d.digits = d.digits * 10 + static_cast<std::uint64_t>(*p - '0');
            if (inFraction) ++fractionDigits;
        }
    }
    int exponent = 0;
    if (p < end) std::from_chars(p + 1 + (p[1] == '+'), end, exponent);
    d.exponent = exponent - fractionDigits;
    return d;
}

// The product of two decimals rounded to the nearest integer, halves to the even one,
// worked out exactly; magnitudes beyond `cap` give `cap`.
std::int64_t roundedProduct(const DecimalValue& a, const DecimalValue& b, std::int64_t cap) {
    const Wide product = static_cast<Wide>(a.digits) * b.digits; // below 10^34
    const int exponent = a.exponent + b.exponent;
    Wide rounded = 0;
    if (exponent >= 0) {
        rounded = product;
        for (int i = 0; i < exponent && rounded <= static_cast<Wide>(cap); ++i) rounded *= 10;
    } else if (exponent >= -38) { // 10^38 still fits
        Wide scale = 1;
        for (int i = 0; i < -exponent; ++i) scale *= 10;
        const Wide whole = product / scale;
        const Wide twiceRest = 2 * (product % scale);
        rounded = whole + ((twiceRest > scale || (twiceRest == scale && (whole & 1))) ? 1 : 0);
    } // else the product is below 10^-4 and rounds to 0
    const std::int64_t magnitude =
        rounded > static_cast<Wide>(cap) ? cap : static_cast<std::int64_t>(rounded);
    return a.negative != b.negative ? -magnitude : magnitude;
}

} // namespace

int pmtVoltageCode(double voltage, double maxVoltage, double voltageFactor) {
    double v = voltage;
    if (!(v >= 0.0)) v = 0.0;
    if (v > maxVoltage) v = maxVoltage;
    if (!std::isfinite(v) || !std::isfinite(voltageFactor)) return kPmtZeroVoltCode;
    // Voltage and factor are decimal texts the operator typed. In doubles 1100 × 1.005 comes
    // out a hair above 1105.5 and would round up; as decimals it is exactly the half, which
    // goes to the even code. 2048 is even, so rounding 2048 − x is 2048 minus x rounded.
    std::int64_t code =
        kPmtZeroVoltCode - roundedProduct(decimalOf(v), decimalOf(voltageFactor), 1'000'000);
    if (code < 0) code = 0;
    if (code > 4095) code = 4095;
    return static_cast<int>(code);
}

namespace {
// Relative distance within which two values that stand for typed decimals count as equal.
constexpr double kDecimalTolerance = 8 * std::numeric_limits<double>::epsilon();

bool nearlyEqual(double a, double b) {
    return std::fabs(a - b) <= kDecimalTolerance * std::max(std::fabs(a), std::fabs(b));
}
} // namespace

std::uint8_t rangeForFullScale(std::span<const double> fullScales, double current) {
    if (fullScales.empty()) return 0;
    const double magnitude = std::fabs(current);
    auto r = static_cast<std::uint8_t>(fullScales.size() - 1);
    while (r > 0 && magnitude > fullScales[r] && !nearlyEqual(magnitude, fullScales[r])) --r;
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
