#include "measurement/IntervalList.h"

#include <gtest/gtest.h>

#include <vector>

using namespace varentis;

namespace {

IntervalList::Number typed(std::int64_t digits, int exponent, double value) {
    return IntervalList::Number{value, digits, exponent, true};
}

// A valve's lengths stay exact on the finest scale its list has needed so far, so that
// equal decimals meet as equal sums; past 10^15 units only the doubles are left.
TEST(IntervalList, KeepsTheLengthsOnTheFinestScaleTheListNeeds) {
    const IntervalList::Number inexact{0.1, 0, 0, false};
    const struct {
        const char* what;
        std::vector<IntervalList::Number> items;
        std::vector<double> values;
        std::vector<std::int64_t> digits;
        int exponent;
        bool exact;
    } cases[] = {
        {"a finer length rescales the earlier ones",
         {typed(5, -1, 0.5), typed(25, -2, 0.25), typed(3, 0, 3)},
         {0.5, 0.25, 3},
         {50, 25, 300},
         -2,
         true},
        {"a 0 adds the next length into the previous one",
         {typed(5, 0, 5), typed(0, 0, 0), typed(3, 0, 3), typed(4, 0, 4)},
         {8, 4},
         {8, 4},
         0,
         true},
        {"a first 0 is an interval and sets no scale",
         {typed(0, 0, 0), typed(25, -1, 2.5)},
         {0, 2.5},
         {0, 25},
         -1,
         true},
        {"a sum into the previous interval beyond 10^15 units",
         {typed(900'000'000'000'000, 0, 9e14), typed(0, 0, 0), typed(200'000'000'000'000, 0, 2e14)},
         {1.1e15},
         {},
         0,
         false},
        {"a rescale beyond 10^15 units",
         {typed(2, 0, 2), typed(1, -15, 1e-15)},
         {2, 1e-15},
         {2},
         0,
         false},
        {"a number not held exactly", {typed(1, 0, 1), inexact}, {1, 0.1}, {1}, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        IntervalList list;
        for (const IntervalList::Number& n : c.items) list.add(n);
        EXPECT_EQ(list.values, c.values);
        EXPECT_EQ(list.exact, c.exact);
        if (c.exact) {
            EXPECT_EQ(list.digits, c.digits);
            EXPECT_EQ(list.exponent, c.exponent);
        }
    }
}

} // namespace
