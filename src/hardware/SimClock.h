#pragma once

#include <chrono>
#include <cstdint>

namespace varentis {

enum class SimClockMode {
    RealTime, // the program: model time follows the wall clock, each port access takes ~1 µs
    Unpaced,  // benchmarks: model time follows the wall clock, port accesses run flat out
    Virtual,  // tests: every port access advances model time by exactly 1 µs
};

// The simulated instrument's time base, in nanoseconds of model time. The programmable
// timer counts model time, so with a speed factor it counts that much faster too.
class SimClock {
public:
    static constexpr std::int64_t kAccessNanoseconds = 1000;

    explicit SimClock(SimClockMode mode = SimClockMode::Virtual, double speed = 1.0);

    // One port access: waits out the pacing and returns the model time of the access.
    std::int64_t tick() {
        if (mode_ == SimClockMode::Virtual) return virtualNs_ += kAccessNanoseconds;
        return pacedTick();
    }
    // Model time now, without an access.
    std::int64_t now() const;
    // Moves model time forward (tests skip idle seconds this way).
    void advance(std::int64_t nanoseconds) { offsetNs_ += nanoseconds; virtualNs_ += nanoseconds; }

    SimClockMode mode() const { return mode_; }
    double speed() const { return speed_; }

private:
    using Clock = std::chrono::steady_clock;
    std::int64_t pacedTick();
    std::int64_t fromReal(Clock::time_point t) const;

    SimClockMode mode_;
    double speed_;
    Clock::time_point start_;
    Clock::time_point lastAccess_;
    std::chrono::nanoseconds accessReal_; // wall time one paced access takes
    std::int64_t offsetNs_ = 0;
    std::int64_t virtualNs_ = 0;
};

} // namespace varentis
