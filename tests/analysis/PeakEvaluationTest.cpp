#include "analysis/PeakEvaluation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

using namespace varentis;

namespace {

constexpr double kCycle = 60.0;
constexpr double kBaseline = 2e-10;
constexpr double kHeight = 1e-9;
constexpr double kPeakTime = 20.0;
const double kPi = std::acos(-1.0);

struct StoredRun {
    std::vector<double> times;
    std::vector<double> signals;
};

// Points every 0.1 s as the run stores them, one peak per cycle at 20 s that rises as a
// Gaussian of deviation `rise` and falls as one of `fall` (height kHeight, width at half
// height sqrt(2 ln 2) (rise + fall), area kHeight sqrt(2 pi) (rise + fall) / 2), scaled by
// `scale` in cycle 1, and noise of `noise` x kHeight from a fixed seed (Box-Muller, so the
// numbers do not depend on the standard library).
StoredRun makeRun(int points, double rise, double fall, double noise, unsigned seed,
                  double scale = 1.0) {
    std::mt19937 random(seed);
    auto uniform = [&] { return (static_cast<double>(random()) + 0.5) / 4294967296.0; };
    StoredRun run;
    double t = 0.0;
    for (int i = 0; i < points; ++i, t += 0.1) {
        const double tc = (i % 600) * 0.1;
        const double s = tc < kPeakTime ? rise : fall;
        const double peak = kHeight * std::exp(-0.5 * std::pow((tc - kPeakTime) / s, 2));
        const double gauss = std::sqrt(-2.0 * std::log(uniform())) * std::cos(2 * kPi * uniform());
        run.times.push_back(t);
        run.signals.push_back(kBaseline + (i / 600 == 1 ? scale : 1.0) * peak +
                              noise * kHeight * gauss);
    }
    return run;
}

std::string flagsOf(const InjectionResult& r) {
    return std::string(r.Incomplete ? "I" : "") + (r.OverRange ? "O" : "") + (r.NoPeak ? "P" : "") +
           (r.NoBaseline ? "B" : "") + (r.WindowsClamped ? "C" : "");
}

} // namespace

TEST(PeakEvaluation, KnownPeaksReadBackThroughOnePercentNoise) {
    struct Case {
        const char* name;
        double rise, fall;
    };
    const Case cases[] = {{"gaussian", 1.5, 1.5}, {"tailed", 1.0, 4.0}};
    const EvaluationWindows windows = EvaluationWindows::forCycle(kCycle, {5.0});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const double area = kHeight * std::sqrt(2 * kPi) * (c.rise + c.fall) / 2.0;
        // Without noise the numbers are those of the peak; with it, the area carries the
        // baseline's error over the 55 s of the peak window (some 2 % at 1 % noise).
        const double noises[][2] = {{0.0, 0.01}, {0.01, 0.05}};
        double heightError = 0.0;
        for (const auto& [noise, areaTolerance] : noises) {
            for (unsigned seed = 1; seed <= 8; ++seed) {
                const StoredRun run = makeRun(1200, c.rise, c.fall, noise, seed);
                const std::vector<Injection> found = findInjections(run.times, 1200, kCycle);
                ASSERT_EQ(found.size(), 2u);
                const InjectionResult r = evaluate(found[1], run.times, run.signals, windows, 1e-6);
                EXPECT_EQ(r.BaselinePoints, 50); // the point at the switch is the peak's
                EXPECT_NEAR(r.Baseline, kBaseline, 0.005 * kHeight);
                EXPECT_NEAR(r.BaselineSD, noise * kHeight, 0.003 * kHeight);
                EXPECT_NEAR(r.PeakTime, kPeakTime, 0.3);
                EXPECT_NEAR(r.Width, std::sqrt(2 * std::log(2.0)) * (c.rise + c.fall),
                            0.03 * (c.rise + c.fall));
                EXPECT_NEAR(r.Area, area, areaTolerance * area);
                EXPECT_EQ(flagsOf(r), "");
                EXPECT_NEAR(r.Height, kHeight, (noise == 0.0 ? 0.01 : 0.05) * kHeight);
                heightError += noise == 0.0 ? 0.0 : (r.Height - kHeight) / kHeight;
            }
        }
        // The highest raw point would read the height some 2 % high on average.
        EXPECT_NEAR(heightError / 8.0, 0.0, 0.01);
    }
}

TEST(PeakEvaluation, FlagsSayWhatTheNumbersCannot) {
    struct Case {
        const char* name;
        int cycle;
        double scale; // of cycle 1's peak
        int spikeAt;  // point of cycle 1 set to `spike`, or -1
        double spike; // A
        double baselineStart, baselineEnd, peakEnd;
        const char* flags;
    };
    // The limit is typed as "1.5" nA; the peak top is 1.2 nA.
    const Case cases[] = {
        {"clean", 1, 1.0, -1, 0.0, 0.0, 5.0, 60.0, ""},
        {"last cycle cut short", 2, 1.0, -1, 0.0, 0.0, 5.0, 60.0, "I"},
        {"a point exactly at the limit", 1, 1.0, 400, 1.5e-9, 0.0, 5.0, 60.0, "O"},
        {"over range in the baseline", 1, 1.0, 10, 1.6e-9, 0.0, 5.0, 60.0, "O"},
        {"over range outside the windows", 1, 1.0, 550, 5e-9, 0.0, 5.0, 50.0, ""},
        {"noise alone", 1, 0.0, -1, 0.0, 0.0, 5.0, 60.0, "P"},
        {"a small peak over the noise", 1, 0.06, -1, 0.0, 0.0, 5.0, 60.0, ""},
        {"empty baseline window", 1, 1.0, -1, 0.0, 0.0, 0.0, 60.0, "B"},
        {"peak window past the cycle end", 1, 1.0, -1, 0.0, 0.0, 5.0, 90.0, "C"},
        {"baseline window before the cycle start", 1, 1.0, -1, 0.0, -5.0, 5.0, 60.0, "C"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StoredRun run = makeRun(1500, 1.5, 1.5, 0.01, 7, c.scale);
        if (c.spikeAt >= 0) run.signals[static_cast<std::size_t>(600 + c.spikeAt)] = c.spike;
        EvaluationWindows windows = EvaluationWindows::forCycle(kCycle, {5.0});
        windows.BaselineStart = c.baselineStart;
        windows.BaselineEnd = c.baselineEnd;
        windows.PeakEnd = c.peakEnd;
        const std::vector<Injection> found = findInjections(run.times, 1500, kCycle);
        ASSERT_EQ(found.size(), 3u);
        const InjectionResult r = evaluate(found[static_cast<std::size_t>(c.cycle)], run.times,
                                           run.signals, windows, 1.5 * 1e-9);
        EXPECT_EQ(flagsOf(r), c.flags);
        // A clamped window reads what the cycle holds; no baseline reads it as 0.
        EXPECT_NEAR(r.Height, kHeight * c.scale + (r.NoBaseline ? kBaseline : 0.0), 0.03 * kHeight);
    }
    // Points the store does not hold and a cycle of no length are no crash.
    const StoredRun run = makeRun(700, 1.5, 1.5, 0.01, 3);
    const Injection beyond{1, 650, 600, 60.0, 0.0, false};
    EXPECT_EQ(flagsOf(evaluate(beyond, run.times, run.signals,
                               EvaluationWindows::forCycle(kCycle, {}), 1e-6)),
              "IPBC");
}

TEST(PeakEvaluation, DefaultWindowsFollowTheInjectionSwitch) {
    const std::pair<std::vector<double>, double> cases[] = {
        {{}, 6.0}, {{0.0, 4.5, 9.0}, 4.5}, {{60.0}, 6.0}, {{75.0}, 6.0}};
    for (const auto& [switches, baselineEnd] : cases) {
        const EvaluationWindows w = EvaluationWindows::forCycle(kCycle, switches);
        EXPECT_EQ(w.BaselineStart, 0.0);
        EXPECT_DOUBLE_EQ(w.BaselineEnd, baselineEnd);
        EXPECT_DOUBLE_EQ(w.PeakStart, baselineEnd);
        EXPECT_EQ(w.PeakEnd, kCycle);
    }
}
