#pragma once

#include <cstddef>
#include <vector>

namespace varentis {

// One cycle of a stored run: the sample injected at its start and the points it spans.
struct Injection {
    int Cycle = 0;          // from 0
    int First = 0;          // index of its first point
    int Count = 0;          // points in the cycle
    double StartTime = 0.0; // s since the run start at which the cycle began
    double EndTime = 0.0;   // s since the run start at which it ends (start + cycle time)
    // False for the last cycle when its end has not been reached by a point.
    bool Complete = false;
};

// The run takes a point at the first timer count that reaches its time, wraps the cycle when
// that count has reached the cycle end and switches the valves on the count too. A stored time
// is the period summed in doubles, which over a long run drifts from its decimal by more than
// a rounding or a few; a time within half a count of an instant in the cycle is read by the
// timer as that instant.
bool timerReached(double time, double instant);
bool timerPast(double time, double instant);

// The cycles the run made for the first `count` points of `times` (s since the run start,
// as the point store holds them). A point that has reached the end of its cycle starts the
// next one, as the run wraps its cycle at that point; a point exactly at n x cycle time
// starts cycle n. Nothing for a cycle time that is not a positive number.
std::vector<Injection> findInjections(const std::vector<double>& times, int count,
                                      double cycleTime);

// The same cut, taken as the points arrive: each call reads only the points added since the
// one before, so a run's cycles cost nothing per tick however long the run has been.
class InjectionCutter {
  public:
    explicit InjectionCutter(double cycleTime) : cycleTime_(cycleTime) {}
    // Reads times[scanned .. count); `times` must hold the points already read unchanged.
    // Gives the index of the first injection that changed (injections().size() if none).
    std::size_t feed(const std::vector<double>& times, int count);
    const std::vector<Injection>& injections() const { return injections_; }
    int scanned() const { return scanned_; }

  private:
    void startCycle(int cycle, int first);

    double cycleTime_;
    int scanned_ = 0;
    std::vector<Injection> injections_;
};

} // namespace varentis
