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
    InjectionCutter cutter(cycleTime);
    cutter.feed(times, count);
    return cutter.injections();
}

void InjectionCutter::startCycle(int cycle, int first) {
    Injection injection;
    injection.Cycle = cycle;
    injection.First = first;
    injection.StartTime = static_cast<double>(cycle) * cycleTime_;
    injection.EndTime = static_cast<double>(cycle + 1) * cycleTime_;
    injections_.push_back(injection);
}

std::size_t InjectionCutter::feed(const std::vector<double>& times, int count) {
    const int n = std::clamp(count, 0, static_cast<int>(times.size()));
    if (n <= scanned_ || !(cycleTime_ > 0.0) || !std::isfinite(cycleTime_))
        return injections_.size();
    if (injections_.empty()) startCycle(0, 0);
    const std::size_t changed = injections_.size() - 1;
    for (int i = scanned_; i < n; ++i) {
        // A point that has reached the cycle end on the timer starts the next cycle. The run
        // wraps at most once per point: a point spacing longer than the cycle still
        // starts one cycle per point, and the run time is set back to that cycle's start.
        if (i > 0 && timerReached(times[static_cast<std::size_t>(i)], injections_.back().EndTime)) {
            injections_.back().Complete = true;
            startCycle(injections_.back().Cycle + 1, i);
        }
        ++injections_.back().Count;
    }
    scanned_ = n;
    // The last cycle's end has been reached when the next point, one spacing on, would have
    // started the next cycle: a run stopped at a cycle end holds all of that cycle's points.
    Injection& last = injections_.back();
    last.Complete = false;
    if (n >= 2) {
        const double t = times[static_cast<std::size_t>(n - 1)];
        const double spacing = t - times[static_cast<std::size_t>(n - 2)];
        last.Complete = spacing > 0.0 && timerReached(t + spacing, last.EndTime);
    }
    return changed;
}

} // namespace varentis
