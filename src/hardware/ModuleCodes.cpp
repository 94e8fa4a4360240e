#include "hardware/ModuleCodes.h"

#include "core/NumberText.h"
#include "hardware/Registers.h"
#include "hardware/TDevice.h"

#include <cmath>

namespace varentis {

int pmtVoltageCode(double voltage, double maxVoltage, double voltageFactor) {
    double v = voltage;
    if (!(v >= 0.0)) v = 0.0;
    if (v > maxVoltage) v = maxVoltage;
    std::int64_t code = rnd(kPmtZeroVoltCode - v * voltageFactor);
    if (code < 0) code = 0;
    if (code > 4095) code = 4095;
    return static_cast<int>(code);
}

std::uint8_t pmtRangeFor(double current) {
    const double magnitude = std::fabs(current);
    std::uint8_t r = 5;
    while (r > 0 && magnitude > PMTRangeFullScale[r]) --r;
    return r;
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
