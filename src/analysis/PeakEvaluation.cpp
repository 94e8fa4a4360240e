#include "analysis/PeakEvaluation.h"

#include "core/Decimal.h"
#include "measurement/CycleTime.h"

#include <algorithm>
#include <cmath>

namespace varentis {

EvaluationWindows EvaluationWindows::forCycle(double cycleTime,
                                              const std::vector<double>& switchTimes) {
    EvaluationWindows w;
    w.BaselineEnd = cycleTime / 10.0;
    for (double t : switchTimes) {
        if (pastTime(t, 0.0) && pastTime(cycleTime, t)) {
            w.BaselineEnd = t;
            break;
        }
    }
    w.PeakStart = w.BaselineEnd;
    w.PeakEnd = cycleTime;
    return w;
}

namespace {

// Cuts [start, end] to [0, length]; a window that is not a number becomes empty at 0.
bool clampWindow(double& start, double& end, double length) {
    const double s = std::isnan(start) ? 0.0 : std::clamp(start, 0.0, length);
    const double e = std::isnan(end) ? 0.0 : std::clamp(end, s, length);
    const bool changed = !(s == start && e == end);
    start = s;
    end = e;
    return changed;
}

// t is the cycle time of where a straight line through (t0, y0) and (t1, y1) crosses y.
double crossing(double t0, double y0, double t1, double y1, double y) {
    return y1 == y0 ? t0 : t0 + (y - y0) * (t1 - t0) / (y1 - y0);
}

bool reachedLimit(double signal, double limit) {
    return signal >= limit || sameDecimal(signal, limit);
}

} // namespace

InjectionResult evaluate(const Injection& injection, const std::vector<double>& times,
                         const std::vector<double>& signals, const EvaluationWindows& windows,
                         double overRangeLimit) {
    InjectionResult r;
    r.Incomplete = !injection.Complete;

    const double span = injection.EndTime - injection.StartTime;
    const double length = span > 0.0 ? span : 0.0;
    EvaluationWindows w = windows;
    r.WindowsClamped = clampWindow(w.BaselineStart, w.BaselineEnd, length);
    r.WindowsClamped = clampWindow(w.PeakStart, w.PeakEnd, length) || r.WindowsClamped;

    const int stored = static_cast<int>(std::min(times.size(), signals.size()));
    const int first = std::clamp(injection.First, 0, stored);
    const long long end = static_cast<long long>(first) + std::max(injection.Count, 0);
    const int last = static_cast<int>(std::clamp<long long>(end, first, stored));
    const int n = last - first;
    std::vector<double> tc(static_cast<std::size_t>(n));
    std::vector<double> y(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        tc[static_cast<std::size_t>(i)] =
            times[static_cast<std::size_t>(first + i)] - injection.StartTime;
        y[static_cast<std::size_t>(i)] = signals[static_cast<std::size_t>(first + i)];
    }
    // A point at the switch time is the first of the peak, not the last of the baseline.
    auto inBaseline = [&](int i) {
        const double t = tc[static_cast<std::size_t>(i)];
        return timerReached(t, w.BaselineStart) && !timerReached(t, w.BaselineEnd);
    };
    auto inPeak = [&](int i) {
        const double t = tc[static_cast<std::size_t>(i)];
        return timerReached(t, w.PeakStart) && !timerPast(t, w.PeakEnd);
    };

    double sum = 0.0;
    for (int i = 0; i < n; ++i) {
        if (!inBaseline(i)) continue;
        sum += y[static_cast<std::size_t>(i)];
        ++r.BaselinePoints;
    }
    r.NoBaseline = r.BaselinePoints == 0;
    if (!r.NoBaseline) r.Baseline = sum / r.BaselinePoints;
    double squares = 0.0;
    for (int i = 0; i < n; ++i)
        if (inBaseline(i)) squares += std::pow(y[static_cast<std::size_t>(i)] - r.Baseline, 2);
    if (r.BaselinePoints > 1) r.BaselineSD = std::sqrt(squares / (r.BaselinePoints - 1));

    // Centred running mean over the cycle's points, so the window edges still see their
    // neighbours; it narrows at the cycle's ends. Taken from running sums, so a long smoothing
    // over a long cycle costs no more than a short one.
    const int half = std::clamp(windows.SmoothingPoints, 1, std::max(2 * n, 1)) / 2;
    std::vector<double> sums(static_cast<std::size_t>(n) + 1, 0.0);
    for (int i = 0; i < n; ++i)
        sums[static_cast<std::size_t>(i) + 1] =
            sums[static_cast<std::size_t>(i)] + y[static_cast<std::size_t>(i)];
    std::vector<double> smooth(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const int a = std::max(i - half, 0);
        const int b = std::min(i + half, n - 1);
        smooth[static_cast<std::size_t>(i)] =
            (sums[static_cast<std::size_t>(b) + 1] - sums[static_cast<std::size_t>(a)]) /
            (b - a + 1);
    }

    int top = -1;
    int peakFirst = -1;
    int peakLast = -1;
    for (int i = 0; i < n; ++i) {
        const double v = y[static_cast<std::size_t>(i)];
        if ((inBaseline(i) || inPeak(i)) && reachedLimit(v, overRangeLimit)) r.OverRange = true;
        if (!inPeak(i)) continue;
        ++r.PeakPoints;
        if (peakFirst < 0) peakFirst = i;
        peakLast = i;
        if (top < 0 || smooth[static_cast<std::size_t>(i)] > smooth[static_cast<std::size_t>(top)])
            top = i;
    }
    if (top < 0) {
        r.NoPeak = true;
        return r;
    }
    auto T = [&](int i) { return tc[static_cast<std::size_t>(i)]; };
    auto S = [&](int i) { return smooth[static_cast<std::size_t>(i)]; };
    r.Height = S(top) - r.Baseline;
    r.PeakTime = T(top);
    r.NoPeak = !(r.Height > 0.0) || r.Height < 3.0 * r.BaselineSD;

    const double level = r.Baseline + r.Height / 2.0;
    int left = top;
    while (left > peakFirst && S(left - 1) >= level) --left;
    int right = top;
    while (right < peakLast && S(right + 1) >= level) ++right;
    if (left > peakFirst && right < peakLast && r.Height > 0.0) {
        const double rise = crossing(T(left - 1), S(left - 1), T(left), S(left), level);
        const double fall = crossing(T(right), S(right), T(right + 1), S(right + 1), level);
        r.Width = fall - rise;
    }

    for (int i = peakFirst; i < peakLast; ++i) {
        const double a = y[static_cast<std::size_t>(i)] - r.Baseline;
        const double b = y[static_cast<std::size_t>(i + 1)] - r.Baseline;
        r.Area += (a + b) / 2.0 * (T(i + 1) - T(i));
    }
    return r;
}

} // namespace varentis
