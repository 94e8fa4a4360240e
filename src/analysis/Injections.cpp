#include "analysis/Injections.h"

#include "hardware/Registers.h"

#include <algorithm>
#include <cmath>

namespace varentis {

namespace {

// The run takes a point at the first timer count that reaches its time and wraps the cycle
// when that count has reached the cycle end. A stored time is the period summed in doubles,
// which drifts below its decimal by more than a rounding over a long run; anything within
// half a count of the end is read by the timer as the end.
bool startsNextCycle(double time, double end) {
    return time > end - kTimerSecondsPerCount / 2.0;
}

} // namespace

std::vector<Injection> findInjections(const std::vector<double>& times, int count,
                                      double cycleTime) {
    std::vector<Injection> result;
    const int n = std::clamp(count, 0, static_cast<int>(times.size()));
    if (n == 0 || !(cycleTime > 0.0) || !std::isfinite(cycleTime)) return result;

    auto startCycle = [&](int cycle, int first) {
        Injection injection;
        injection.Cycle = cycle;
        injection.First = first;
        injection.StartTime = static_cast<double>(cycle) * cycleTime;
        injection.EndTime = static_cast<double>(cycle + 1) * cycleTime;
        result.push_back(injection);
    };
    startCycle(0, 0);
    for (int i = 0; i < n; ++i) {
        // The run wraps at most once per point: a point spacing longer than the cycle still
        // starts one cycle per point, and the run time is set back to that cycle's start.
        if (i > 0 && startsNextCycle(times[static_cast<std::size_t>(i)], result.back().EndTime)) {
            result.back().Complete = true;
            startCycle(result.back().Cycle + 1, i);
        }
        ++result.back().Count;
    }
    // The last cycle's end has been reached when the next point, one spacing on, would have
    // started the next cycle: a run stopped at a cycle end holds all of that cycle's points.
    if (n >= 2) {
        const double last = times[static_cast<std::size_t>(n - 1)];
        const double spacing = last - times[static_cast<std::size_t>(n - 2)];
        result.back().Complete = spacing > 0.0 && startsNextCycle(last + spacing, result.back().EndTime);
    }
    return result;
}

} // namespace varentis
