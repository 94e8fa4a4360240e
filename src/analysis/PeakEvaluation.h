#pragma once

#include "analysis/Injections.h"

#include <vector>

namespace varentis {

// Where in the cycle the baseline and the peak are read, in s since the cycle start.
struct EvaluationWindows {
    double BaselineStart = 0.0;
    double BaselineEnd = 0.0;
    double PeakStart = 0.0;
    double PeakEnd = 0.0;
    // Points in the running mean the height is read from. The highest raw point is the
    // highest noise excursion on the peak top and reads about two noise deviations too high;
    // a mean of 5 points halves that excursion while a peak of some tens of points loses well
    // under a percent of its height.
    int SmoothingPoints = 5;

    // Baseline from the cycle start to the first valve switch after it (the injection), or
    // over the first tenth of the cycle when no valve switches; peak from there to the end.
    static EvaluationWindows forCycle(double cycleTime, const std::vector<double>& switchTimes);
};

struct InjectionResult {
    double Baseline = 0.0;   // A, mean of the baseline points
    double BaselineSD = 0.0; // A, their sample deviation
    double Height = 0.0;     // A above the baseline, of the smoothed signal
    double PeakTime = 0.0;   // s since the cycle start
    double Width = 0.0;      // s at half height; 0 when the peak does not fall to it both sides
    double Area = 0.0;       // A x s above the baseline over the peak window
    int BaselinePoints = 0;
    int PeakPoints = 0;
    bool Incomplete = false;     // the cycle's end was not reached
    bool OverRange = false;      // a point in a window at or beyond the over-range limit
    bool NoPeak = false;         // height not above 3 deviations of the baseline points
    bool NoBaseline = false;     // no point in the baseline window; the baseline is taken as 0
    bool WindowsClamped = false; // a window reached outside the cycle and was cut to it
};

// Evaluates one injection of the stored points. Points past the end of `times` or `signals`
// are not there; windows are cut to the cycle.
InjectionResult evaluate(const Injection& injection, const std::vector<double>& times,
                         const std::vector<double>& signals, const EvaluationWindows& windows,
                         double overRangeLimit);

} // namespace varentis
