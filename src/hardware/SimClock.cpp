#include "hardware/SimClock.h"

#include <algorithm>

namespace varentis {

SimClock::SimClock(SimClockMode mode, double speed)
    : mode_(mode), speed_(speed > 0 ? speed : 1.0), start_(Clock::now()), lastAccess_(start_),
      // Slowed down, an access still takes a microsecond of model time, or the instrument
      // would see the bus faster than the hardware allows (the device test's timer check
      // relies on sixty writes lasting sixty microseconds).
      accessReal_(static_cast<std::int64_t>(kAccessNanoseconds / std::min(speed_, 1.0))) {}

std::int64_t SimClock::fromReal(Clock::time_point t) const {
    const auto real = std::chrono::duration_cast<std::chrono::nanoseconds>(t - start_).count();
    return static_cast<std::int64_t>(static_cast<double>(real) * speed_) + offsetNs_;
}

std::int64_t SimClock::now() const {
    if (mode_ == SimClockMode::Virtual) return virtualNs_;
    return fromReal(Clock::now());
}

std::int64_t SimClock::pacedTick() {
    Clock::time_point t = Clock::now();
    if (mode_ == SimClockMode::RealTime) {
        // A legacy port access takes about a microsecond; spinning (not sleeping) keeps
        // that granularity, which a sleep could never give.
        const auto due = lastAccess_ + accessReal_;
        while (t < due) t = Clock::now();
        lastAccess_ = t;
    }
    return fromReal(t);
}

} // namespace varentis
