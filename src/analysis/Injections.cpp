#include "analysis/Injections.h"

#include "hardware/Registers.h"

#include <algorithm>
#include <cmath>

namespace varentis {

bool timerReached(double time, double instant) {
    return time > instant - kTimerSecondsPerCount / 2.0;
}
bool timerPast(double time, double instant) { return time > instant + kTimerSecondsPerCount / 2.0; }

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
        // A point that has reached the cycle end on the timer starts the next cycle. The run
        // wraps at most once per point: a point spacing longer than the cycle still
        // starts one cycle per point, and the run time is set back to that cycle's start.
        if (i > 0 && timerReached(times[static_cast<std::size_t>(i)], result.back().EndTime)) {
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
        result.back().Complete =
            spacing > 0.0 && timerReached(last + spacing, result.back().EndTime);
    }
    return result;
}

} // namespace varentis
