#include "documents/DataText.h"

#include <gtest/gtest.h>

namespace varentis {
namespace {

PointStore pointsOf(std::vector<double> times, std::vector<double> values) {
    PointStore p;
    p.assign(std::move(times), std::move(values), {});
    return p;
}

TEST(DataText, HeaderThenEveryPointFromZero) {
    struct Case {
        const char* what;
        PointStore points;
        DataTextColumns columns;
        std::string expected;
    };
    DataTextColumns minutes;
    minutes.timeUnitFactor = 60;
    minutes.signalUnitFactor = 1e-6;
    minutes.timeDecimals = 3;
    minutes.signalDecimals = 4;
    minutes.timeUnit = "min";
    minutes.signalUnit = "uA";
    const Case cases[] = {
        {"no points", {}, {}, "No data"},
        {"one point",
         pointsOf({0.0}, {1e-9}),
         {},
         "Point nr\tTime [s]\tSignal [nA]\n0\t0.00\t1.00"},
        {"default units",
         pointsOf({0.0, 0.1, 10.0}, {1e-9, -2.5e-9, 100e-9}),
         {},
         "Point nr\tTime [s]\tSignal [nA]\n0\t0.00\t1.00\n1\t0.10\t-2.50\n2\t10.00\t100.00"},
        {"other units", pointsOf({30.0, 90.0}, {1.5e-6, 2e-8}), minutes,
         "Point nr\tTime [min]\tSignal [uA]\n0\t0.500\t1.5000\n1\t1.500\t0.0200"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(dataText(c.points, c.columns), c.expected) << c.what;
}

TEST(DataText, ListsOnlyThePointsHeld) {
    PointStore p = pointsOf({0.0, 1.0, 2.0}, {0, 0, 0});
    p.Count = 2; // the store's count rules, not the room behind it
    EXPECT_EQ(dataText(p, {}), "Point nr\tTime [s]\tSignal [nA]\n0\t0.00\t0.00\n1\t1.00\t0.00");
    p.Count = 0;
    EXPECT_EQ(dataText(p, {}), "No data");
}

} // namespace
} // namespace varentis
