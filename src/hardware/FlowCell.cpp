#include "hardware/FlowCell.h"

#include <algorithm>
#include <cmath>

namespace varentis {

namespace {
double shape(double age, double rise, double decay) {
    return (1.0 - std::exp(-age / rise)) * std::exp(-age / decay);
}
} // namespace

FlowCell::FlowCell(const FlowCellParameters& parameters) : p_(parameters) {
    // The shape's top lies where exp(-t/rise) = rise / (rise + decay).
    const double top = p_.riseSeconds * std::log((p_.riseSeconds + p_.decaySeconds) / p_.riseSeconds);
    shapeNorm_ = 1.0 / shape(top, p_.riseSeconds, p_.decaySeconds);
}

double FlowCell::flowRate(std::uint8_t speed, std::uint8_t direction) const {
    // Reverse flow draws the plugs back toward the valve.
    if (direction == 1) return speed / 255.0;
    if (direction == 3) return -speed / 255.0;
    return 0.0;
}

double FlowCell::transportDelay(std::uint8_t speed, std::uint8_t direction) const {
    const double rate = flowRate(speed, direction);
    return rate > 0 ? p_.transportVolume / rate : -1.0;
}

void FlowCell::flowUntil(double seconds) {
    const double dt = seconds - lastSeconds_;
    if (dt <= 0) return;
    lastSeconds_ = seconds;
    if (rate_ == 0.0 || plugs_.empty()) return;
    for (double& position : plugs_) {
        position += rate_ * dt;
        if (position >= p_.transportVolume) {
            // Arrival inside the step, so the peak does not depend on how often it is sampled.
            peaks_.push_back(seconds - (position - p_.transportVolume) / rate_);
        } else if (position < 0) {
            position = 0;
        }
    }
    std::erase_if(plugs_, [&](double position) { return position >= p_.transportVolume; });
}

void FlowCell::setPump(double seconds, std::uint8_t speed, std::uint8_t direction) {
    flowUntil(seconds);
    rate_ = flowRate(speed, direction);
}

void FlowCell::inject(double seconds) {
    flowUntil(seconds);
    if (plugs_.size() < p_.maxPlugs) plugs_.push_back(0.0);
}

void FlowCell::setElectrode(bool on, double volts) { emission_ = on ? emission(volts) : 0.0; }

double FlowCell::cellCurrent(double volts) const {
    const double overpotential = volts - p_.equilibriumPotential;
    return p_.exchangeCurrent *
           (std::exp(overpotential / p_.anodicSlope) - std::exp(-overpotential / p_.cathodicSlope));
}

double FlowCell::emission(double volts) const {
    return 1.0 / (1.0 + std::exp(-(volts - p_.emissionMidpoint) / p_.emissionWidth));
}

double FlowCell::light(double seconds) {
    flowUntil(seconds);
    const double value = p_.darkCurrent + p_.background;
    if (peaks_.empty()) return value;
    // A peak older than a dozen decay times adds nothing visible any more.
    const double forget = 12.0 * p_.decaySeconds;
    std::erase_if(peaks_, [&](double arrival) { return seconds - arrival > forget; });
    double plugs = 0.0;
    for (double arrival : peaks_) {
        const double age = seconds - arrival;
        if (age > 0) plugs += p_.peakHeight * shapeNorm_ * shape(age, p_.riseSeconds, p_.decaySeconds);
    }
    return value + emission_ * plugs;
}

} // namespace varentis
