#include "measurement/PointStore.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

namespace varentis {
namespace {

TEST(RunCapacity, OneTimeAxisOfPointsAtLeastOne) {
    struct Case {
        double xMax, period;
        int expected;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {100.0, 0.1, 1000},
        {0.04, 0.1, 1},   // shorter than half a period still holds a point
        {0.05, 0.1, 1},   // 0.5 rounds to the even 0, then the minimum
        {0.375, 0.25, 2}, // 1.5 rounds to 2
        {0.625, 0.25, 2}, // 2.5 rounds to the even 2
        {1.0, 1.0, 1},
        {-10.0, 0.1, 1},
        {100.0, 0.0, INT_MAX}, // a zero period gives no absurd or negative capacity
        {1e300, 1e-300, INT_MAX},
        {inf, 1.0, INT_MAX},
        {std::nan(""), 1.0, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(runCapacity(c.xMax, c.period), c.expected) << c.xMax << " / " << c.period;
}

TEST(PointStore, GrowsByOneAxisWhenTheLastPlaceIsTaken) {
    // X max 100 s at 100 ms: room for 1000, the 1000th point grows it to 2000.
    PointStore store;
    const int step = runCapacity(100.0, 0.1);
    store.startRun(step, false);
    for (int i = 0; i < 1000; ++i) {
        store.append(i * 0.1, i * 1e-9);
        if (store.Count == store.Capacity) store.grow(step, false);
        ASSERT_LT(store.Count, store.Capacity);
        if (i == 998) {
            EXPECT_EQ(store.Capacity, 1000);
        }
    }
    EXPECT_EQ(store.Count, 1000);
    EXPECT_EQ(store.Capacity, 2000);
    EXPECT_DOUBLE_EQ(store.Times[999], 99.9);
    EXPECT_DOUBLE_EQ(store.Signals[500], 500e-9);
    EXPECT_FALSE(store.hasCurrents());
}

TEST(PointStore, CurrentsKeptOnlyWhileThePotentiostatIsInUse) {
    PointStore store;
    store.startRun(2, true);
    store.append(0.0, 1.0, 5.0);
    store.append(0.1, 2.0, 6.0);
    store.grow(2, false); // grown with the potentiostat switched off meanwhile
    store.append(0.2, 3.0, 7.0);
    ASSERT_EQ(store.Count, 3);
    ASSERT_EQ(store.Currents.size(), 3u);
    EXPECT_EQ(store.Currents[1], 6.0);
    EXPECT_EQ(store.Currents[2], 0.0);
}

TEST(PointStore, HugeCapacityNeitherReservesItNorOverflows) {
    PointStore store;
    store.startRun(INT_MAX, true); // would be 48 GB if taken at once
    EXPECT_LT(store.Times.capacity(), 1u << 24);
    store.append(0.0, 1.0, 2.0);
    store.grow(INT_MAX, true);
    EXPECT_EQ(store.Capacity, INT_MAX);
    EXPECT_EQ(store.Count, 1);
}

} // namespace
} // namespace varentis
