#include "analysis/PeakEvaluation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <utility>

using namespace varentis;

namespace {

constexpr double kCycle = 60.0;
constexpr double kPeriod = 0.1;
constexpr double kBaseline = 2e-10;
constexpr double kHeight = 1e-9;
constexpr double kPeakTime = 20.0;
const double kRootTwoPi = std::sqrt(2.0 * std::acos(-1.0));

// A peak that rises as a Gaussian of deviation `rise` and falls as one of `fall`: height
// kHeight, width at half height sqrt(2 ln 2) (rise + fall), area kHeight sqrt(2 pi)
// (rise + fall) / 2.
double peak(double tc, double rise, double fall) {
    const double s = tc < kPeakTime ? rise : fall;
    return kHeight * std::exp(-0.5 * std::pow((tc - kPeakTime) / s, 2));
}

struct StoredRun {
    std::vector<double> times;
    std::vector<double> signals;
};

// `cycles` cycles as the run stores them, one peak per cycle, noise of `noise` x kHeight
// from a fixed seed (Box-Muller, so the numbers do not depend on the standard library).
StoredRun makeRun(int points, double rise, double fall, double noise, unsigned seed) {
    std::mt19937 random(seed);
    auto uniform = [&] { return (static_cast<double>(random()) + 0.5) / 4294967296.0; };
    StoredRun run;
    double t = 0.0;
    for (int i = 0; i < points; ++i, t += kPeriod) {
        const double tc = std::fmod(t + 1e-9, kCycle) - 1e-9;
        const double gauss =
            std::sqrt(-2.0 * std::log(uniform())) * std::cos(2.0 * std::acos(-1.0) * uniform());
        run.times.push_back(t);
        run.signals.push_back(kBaseline + peak(tc, rise, fall) + noise * kHeight * gauss);
    }
    return run;
}

// Scales the Gaussian peak of one cycle of makeRun(..., 1.5, 1.5, ...) by `factor`.
void scalePeak(StoredRun& run, int cycle, double factor) {
    for (int i = 600 * cycle; i < 600 * (cycle + 1); ++i)
        run.signals[static_cast<std::size_t>(i)] -=
            (1.0 - factor) *
            peak(run.times[static_cast<std::size_t>(i)] - cycle * kCycle, 1.5, 1.5);
}

} // namespace

TEST(PeakEvaluation, KnownPeaksReadBackThroughOnePercentNoise) {
    struct Case {
        const char* name;
        double rise;
        double fall;
    };
    const Case cases[] = {{"gaussian", 1.5, 1.5}, {"tailed", 1.0, 4.0}};
    const EvaluationWindows windows = EvaluationWindows::forCycle(kCycle, {5.0});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Without noise the numbers are those of the peak; with it, the area carries the
        // baseline's error over the 55 s of the peak window (some 2 % at 1 % noise).
        const std::pair<double, double> noises[] = {{0.0, 0.01}, {0.01, 0.05}};
        double heightError = 0.0;
        for (const auto& [noise, areaTolerance] : noises) {
            for (unsigned seed = 1; seed <= 8; ++seed) {
                const StoredRun run = makeRun(1200, c.rise, c.fall, noise, seed);
                const std::vector<Injection> found = findInjections(run.times, 1200, kCycle);
                ASSERT_EQ(found.size(), 2u);
                const InjectionResult r = evaluate(found[1], run.times, run.signals, windows, 1e-6);
                EXPECT_EQ(r.BaselinePoints, 50);
                EXPECT_NEAR(r.Baseline, kBaseline, 0.005 * kHeight);
                EXPECT_NEAR(r.BaselineSD, noise * kHeight, 0.003 * kHeight);
                EXPECT_NEAR(r.PeakTime, kPeakTime, 0.3);
                EXPECT_NEAR(r.Width, std::sqrt(2.0 * std::log(2.0)) * (c.rise + c.fall),
                            0.03 * (c.rise + c.fall));
                const double area = kHeight * kRootTwoPi * (c.rise + c.fall) / 2.0;
                EXPECT_NEAR(r.Area, area, areaTolerance * area);
                EXPECT_FALSE(r.Incomplete);
                EXPECT_FALSE(r.OverRange);
                EXPECT_FALSE(r.NoPeak);
                EXPECT_FALSE(r.NoBaseline);
                EXPECT_FALSE(r.WindowsClamped);
                if (noise == 0.0)
                    EXPECT_NEAR(r.Height, kHeight, 0.01 * kHeight);
                else
                    heightError += (r.Height - kHeight) / kHeight;
            }
        }
        // The highest raw point would read the height some 2 % high on average.
        EXPECT_NEAR(heightError / 8.0, 0.0, 0.01);
    }
}

TEST(PeakEvaluation, FlagsSayWhatTheNumbersCannot) {
    struct Case {
        const char* name;
        std::function<void(StoredRun&, EvaluationWindows&, double& limit, int& cycle)> change;
        bool incomplete, overRange, noPeak, noBaseline, clamped;
    };
    const double typedLimit = 1.5 * 1e-9; // "1.5" nA
    const Case cases[] = {
        {"clean", [](StoredRun&, EvaluationWindows&, double&, int&) {}, false, false, false, false,
         false},
        {"last cycle cut short",
         [](StoredRun&, EvaluationWindows&, double&, int& cycle) { cycle = 2; }, true, false, false,
         false, false},
        {"a point exactly at the limit",
         [&](StoredRun& run, EvaluationWindows&, double& limit, int&) {
             limit = typedLimit;
             run.signals[600 + 400] = 1.5e-9;
         },
         false, true, false, false, false},
        {"over range in the baseline",
         [&](StoredRun& run, EvaluationWindows&, double& limit, int&) {
             limit = typedLimit;
             run.signals[600 + 10] = 1.6e-9;
         },
         false, true, false, false, false},
        {"over range outside the windows",
         [&](StoredRun& run, EvaluationWindows& w, double& limit, int&) {
             limit = typedLimit;
             w.PeakEnd = 50.0;
             run.signals[600 + 550] = 5e-9;
         },
         false, false, false, false, false},
        {"noise alone",
         [](StoredRun& run, EvaluationWindows&, double&, int&) { scalePeak(run, 1, 0.0); }, false,
         false, true, false, false},
        {"a small peak over the noise",
         [](StoredRun& run, EvaluationWindows&, double&, int&) { scalePeak(run, 1, 0.06); }, false,
         false, false, false, false},
        {"empty baseline window",
         [](StoredRun&, EvaluationWindows& w, double&, int&) { w.BaselineEnd = 0.0; }, false, false,
         false, true, false},
        {"peak window past the cycle end",
         [](StoredRun&, EvaluationWindows& w, double&, int&) { w.PeakEnd = 90.0; }, false, false,
         false, false, true},
        {"baseline window before the cycle start",
         [](StoredRun&, EvaluationWindows& w, double&, int&) { w.BaselineStart = -5.0; }, false,
         false, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StoredRun run = makeRun(1500, 1.5, 1.5, 0.01, 7);
        EvaluationWindows windows = EvaluationWindows::forCycle(kCycle, {5.0});
        double limit = 1e-6;
        int cycle = 1;
        c.change(run, windows, limit, cycle);
        const std::vector<Injection> found = findInjections(run.times, 1500, kCycle);
        ASSERT_EQ(found.size(), 3u);
        const InjectionResult r = evaluate(found[static_cast<std::size_t>(cycle)], run.times,
                                           run.signals, windows, limit);
        EXPECT_EQ(r.Incomplete, c.incomplete);
        EXPECT_EQ(r.OverRange, c.overRange);
        EXPECT_EQ(r.NoPeak, c.noPeak);
        EXPECT_EQ(r.NoBaseline, c.noBaseline);
        EXPECT_EQ(r.WindowsClamped, c.clamped);
        // A clamped window reads what the cycle holds: the same peak as the clean case.
        if (c.clamped) {
            EXPECT_NEAR(r.Height, kHeight, 0.03 * kHeight);
        }
    }
}

TEST(PeakEvaluation, DefaultWindowsFollowTheInjectionSwitch) {
    struct Case {
        std::vector<double> switches;
        double baselineEnd;
    };
    const Case cases[] = {{{}, 6.0}, {{0.0, 4.5, 9.0}, 4.5}, {{60.0}, 6.0}, {{75.0}, 6.0}};
    for (const Case& c : cases) {
        const EvaluationWindows w = EvaluationWindows::forCycle(kCycle, c.switches);
        EXPECT_EQ(w.BaselineStart, 0.0);
        EXPECT_DOUBLE_EQ(w.BaselineEnd, c.baselineEnd);
        EXPECT_DOUBLE_EQ(w.PeakStart, c.baselineEnd);
        EXPECT_EQ(w.PeakEnd, kCycle);
    }
}

TEST(PeakEvaluation, PointsMissingFromTheStoreDoNotCrash) {
    const StoredRun run = makeRun(700, 1.5, 1.5, 0.01, 3);
    Injection beyond;
    beyond.First = 650;
    beyond.Count = 600;
    beyond.StartTime = 60.0;
    beyond.EndTime = 0.0; // not a cycle
    const InjectionResult r =
        evaluate(beyond, run.times, run.signals, EvaluationWindows::forCycle(kCycle, {}), 1e-6);
    EXPECT_TRUE(r.NoPeak);
    EXPECT_TRUE(r.WindowsClamped);
    EXPECT_TRUE(r.Incomplete);
}
