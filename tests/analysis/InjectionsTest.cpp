#include "analysis/Injections.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace varentis;

namespace {

// Point times as the run stores them: the period summed in doubles from 0.
std::vector<double> runTimes(double period, int count) {
    std::vector<double> times;
    double t = 0.0;
    for (int i = 0; i < count; ++i, t += period) times.push_back(t);
    return times;
}

} // namespace

TEST(Injections, CyclesAreTheCyclesTheRunMade) {
    struct Case {
        double period;
        double cycleTime;
        int perCycle;
        int count;
    };
    // 8 x 0.1 summed is 0.7999999999999999, 10 x 0.1 is 0.9999999999999999: both are the
    // point at the cycle end and start the next cycle. A spacing longer than the cycle wraps
    // once per point.
    const Case cases[] = {{0.1, 0.8, 8, 20},     {0.1, 1.0, 10, 30}, {0.05, 0.3, 6, 13},
                          {0.01, 1.5, 150, 451}, {2.0, 0.5, 1, 4},   {0.1, 0.8, 8, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.period << " s / " << c.cycleTime << " s x " << c.count);
        const std::vector<Injection> found =
            findInjections(runTimes(c.period, c.count), c.count, c.cycleTime);
        const int expected = (c.count + c.perCycle - 1) / c.perCycle;
        ASSERT_EQ(static_cast<int>(found.size()), expected);
        for (int k = 0; k < expected; ++k) {
            const Injection& in = found[static_cast<std::size_t>(k)];
            EXPECT_EQ(in.Cycle, k);
            EXPECT_EQ(in.First, k * c.perCycle);
            EXPECT_EQ(in.Count, std::min(c.perCycle, c.count - k * c.perCycle));
            EXPECT_DOUBLE_EQ(in.StartTime, k * c.cycleTime);
            EXPECT_DOUBLE_EQ(in.EndTime - in.StartTime, c.cycleTime);
            const bool last = k == expected - 1;
            EXPECT_EQ(in.Complete, !last || (c.count > 1 && c.count % c.perCycle == 0));
        }
    }
}

TEST(Injections, BadInputFindsNothingOrWhatIsStored) {
    const std::vector<double> times = runTimes(0.5, 6);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        int count;
        double cycleTime;
        int injections;
        int points;
    };
    const Case cases[] = {{6, 0.0, 0, 0}, {6, -1.0, 0, 0}, {6, nan, 0, 0}, {6, inf, 0, 0},
                          {0, 1.0, 0, 0}, {-3, 1.0, 0, 0}, {99, 1.0, 3, 6}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " points, cycle " << c.cycleTime);
        const std::vector<Injection> found = findInjections(times, c.count, c.cycleTime);
        EXPECT_EQ(static_cast<int>(found.size()), c.injections);
        int points = 0;
        for (const Injection& in : found) points += in.Count;
        EXPECT_EQ(points, c.points);
    }
}
