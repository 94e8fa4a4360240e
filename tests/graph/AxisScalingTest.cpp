#include "graph/AxisScaling.h"

#include <gtest/gtest.h>

#include <cmath>

namespace varentis {
namespace {

constexpr int W = 600;
constexpr int H = 400;

ScaleResult scaled(const ScaleSettings& settings, const GraphScale& previous = {}) {
    return XYFactors(settings, W, H, previous);
}

TEST(XYFactors, DefaultSettings) {
    ScaleResult r = scaled({});
    const GraphScale& s = r.Scale;
    EXPECT_EQ(s.XMin, 0.0);
    EXPECT_EQ(s.XMax, 100.0);
    EXPECT_DOUBLE_EQ(s.XScale, 6.0);
    EXPECT_DOUBLE_EQ(s.YMax, 100e-9);
    EXPECT_DOUBLE_EQ(s.YScale, 4e9);
    EXPECT_EQ(s.YUnitFactor, 1e-9);
    EXPECT_DOUBLE_EQ(s.PotMin, -0.002);
    EXPECT_DOUBLE_EQ(s.PotMax, 0.002);
    EXPECT_DOUBLE_EQ(s.PotScale, 100000.0);
    EXPECT_DOUBLE_EQ(s.CurMin, -2e-12);
    EXPECT_DOUBLE_EQ(s.CurScale, 1e14);
    EXPECT_DOUBLE_EQ(s.CurrentRangeMagnitude, 2e-12);
    EXPECT_EQ(s.CurrentDecimals, 3);
    EXPECT_EQ(s.XDecimals, 2); // 100 / 10 is not greater than 10
    EXPECT_EQ(r.Label5, "100");
    EXPECT_EQ(r.Label6, "0");
    EXPECT_EQ(r.Label7, "0");
    EXPECT_EQ(r.Label8, "100");
}

TEST(XYFactors, SignalDecimals) {
    struct Case {
        const char* min;
        const char* max;
        int units;
        int expected;
    };
    const Case cases[] = {
        {"0", "10", 1, 3},    // 10 is not greater than 10
        {"0", "20", 1, 2},
        {"0", "0.5", 1, 4},
        {"100", "101", 1, 3}, // 1 from the magnitude, 2 from the narrow span
        {"0", "100", 1, 2},
        {"0", "1e9", 1, 0},   // the downward loop stops at 0
        {"0", "1e-9", 1, 6},  // the upward loop stops at 6
        {"1000", "1000.001", 1, 5}, // the span loop stops at 5 ...
        {"0.05", "0.0500001", 1, 6}, // ... but runs once even from 5
        {"0", "10", 4, 3},    // the unit does not matter, only the typed values
        {"-50", "50", 0, 2},
        // A span of exactly a tenth of the magnitude adds nothing (r < 0.1 is false), however
        // the doubles of the limits land.
        {"0.9", "1", 1, 4},   {"1.8", "2", 1, 3},   {"2.7", "3", 1, 3},
        {"9.9", "10", 1, 4},  {"9.9", "11", 1, 2},  {"-1", "-0.9", 1, 4},
        {"0.89", "1", 1, 4},  {"0.91", "1", 1, 5},  {"990", "1100", 1, 0},
    };
    for (const Case& c : cases) {
        ScaleSettings settings;
        settings.YMin = c.min;
        settings.YMax = c.max;
        settings.YUnits = c.units;
        EXPECT_EQ(scaled(settings).Scale.YDecimals, c.expected) << c.min << " .. " << c.max;
    }
}

TEST(XYFactors, TimeDecimals) {
    struct Case {
        const char* min;
        const char* max;
        int units;
        int expected;
    };
    const Case cases[] = {
        {"0", "10", 0, 3},  {"0", "100", 0, 2},   {"0", "0.5", 2, 4},
        {"0", "1e-9", 0, 5}, // the upward loop stops at 5 for time
        {"1000", "1000.001", 0, 6}, // and the span loop may go on to 10
        {"1e6", "1.000000000001e6", 0, 10},
        {"0.9", "1", 0, 4},  {"2.7", "3", 1, 3},  {"9.9", "11", 0, 2},  {"1.8", "2", 2, 3},
    };
    for (const Case& c : cases) {
        ScaleSettings settings;
        settings.XMin = c.min;
        settings.XMax = c.max;
        settings.XUnits = c.units;
        EXPECT_EQ(scaled(settings).Scale.XDecimals, c.expected) << c.min << " .. " << c.max;
    }
}

TEST(XYFactors, EqualLimitsFallBackButKeepScaleUnitAndLabels) {
    ScaleSettings first;
    first.XMax = "2";
    first.XUnits = 1; // min
    first.YMin = "-5";
    first.YMax = "5";
    first.YUnits = 2; // uA
    GraphScale previous = scaled(first).Scale;

    ScaleSettings equal = first;
    equal.XMin = equal.XMax = "7";
    equal.XUnits = 2; // h, ignored while the limits are equal
    equal.YMin = equal.YMax = "abc";
    equal.YUnits = 0;
    equal.Zero = "3";
    ScaleResult r = scaled(equal, previous);
    EXPECT_EQ(r.Scale.XMin, 0.0);
    EXPECT_EQ(r.Scale.XMax, 1.0);
    EXPECT_EQ(r.Scale.XScale, previous.XScale);
    EXPECT_EQ(r.Scale.XUnitFactor, 60.0);
    EXPECT_EQ(r.Scale.YMin, 0.0);
    EXPECT_EQ(r.Scale.YMax, 1.0);
    EXPECT_EQ(r.Scale.YScale, previous.YScale);
    EXPECT_EQ(r.Scale.YUnitFactor, 1e-6);
    EXPECT_DOUBLE_EQ(r.Scale.ZeroLine, 3e-6); // with the kept unit
    EXPECT_FALSE(r.Label5 || r.Label6 || r.Label7 || r.Label8);
}

TEST(XYFactors, EqualLimitsInTheFirstScalingUseTheDefaultAxes) {
    ScaleSettings settings;
    settings.XMin = settings.XMax = "5";
    settings.YMin = settings.YMax = "";
    settings.PotentialMin = settings.PotentialMax = "1";
    settings.CurrentMin = settings.CurrentMax = "x";
    settings.CurrentUnits = 3;
    GraphScale s = scaled(settings).Scale;
    EXPECT_DOUBLE_EQ(s.XScale, W / 100.0);
    EXPECT_EQ(s.XUnitFactor, 1.0);
    EXPECT_DOUBLE_EQ(s.YScale, H / 100e-9);
    EXPECT_EQ(s.YUnitFactor, 1e-9);
    EXPECT_EQ(s.PotMin, -1.0);
    EXPECT_EQ(s.PotMax, 1.0);
    EXPECT_DOUBLE_EQ(s.PotScale, H / 2.0);
    EXPECT_EQ(s.CurMin, -1.0);
    EXPECT_EQ(s.CurUnitFactor, 0.001); // the unit is taken even when the limits are equal
    EXPECT_DOUBLE_EQ(s.CurScale, H / 2.0);
    EXPECT_EQ(s.CurrentRangeMagnitude, 1.0);
    // 0 .. 1 s in s: magnitude 1 gives one more decimal.
    EXPECT_EQ(s.XDecimals, 4);
}

TEST(XYFactors, SignalRangeMagnitudeUsesThePreviousZeroLine) {
    ScaleSettings settings;
    settings.YMin = "-20";
    settings.YMax = "10";
    settings.Zero = "5";
    GraphScale first = scaled(settings).Scale;
    EXPECT_DOUBLE_EQ(first.SignalRangeMagnitude, 20e-9); // previous zero line 0
    EXPECT_DOUBLE_EQ(first.ZeroLine, 5e-9);
    GraphScale second = scaled(settings, first).Scale;
    // |YMin - 5 nA| = 25 nA against |YMax + 5 nA| = 15 nA.
    EXPECT_DOUBLE_EQ(second.SignalRangeMagnitude, 25e-9);
}

// The magnitude handed to the detector is the decimal the texts mean, to the last bit: the
// detector range is chosen by comparing it with the full scales, and 100 x 1e-9 in doubles
// lies above 1e-7.
TEST(XYFactors, SignalRangeMagnitudeIsTheDecimalTheTextsMean) {
    struct Case {
        const char *min, *max;
        int units;
        const char* zero; // in force since the previous scaling
        double expected;  // A, the double nearest to the decimal
    };
    const Case cases[] = {
        {"0", "100", 1, "0", 1e-7},      {"0", "1000", 1, "0", 1e-6},
        {"-100", "100", 1, "0", 1e-7},   {"0", "10", 1, "90", 1e-7},
        {"0", "0.1", 2, "0", 1e-7},      {"-0.3", "0.1", 2, "0", 3e-7},
        {"0", "1e-7", 4, "0", 1e-7},     {"-70", "30", 0, "30", 1e-10},
        {"0", "10", 1, "0.1", 1.01e-8},  {"5", "10", 3, "-15", 0.02},
    };
    for (const Case& c : cases) {
        ScaleSettings settings;
        settings.YMin = c.min;
        settings.YMax = c.max;
        settings.YUnits = c.units;
        settings.Zero = c.zero;
        const GraphScale previous = scaled(settings).Scale; // the zero line takes effect
        EXPECT_EQ(scaled(settings, previous).Scale.SignalRangeMagnitude, c.expected)
            << c.min << " .. " << c.max << " zero " << c.zero;
    }
}

TEST(XYFactors, CurrentRangeMagnitudeIsTheLargerLimit) {
    ScaleSettings settings;
    settings.CurrentMin = "-3";
    settings.CurrentMax = "7";
    settings.CurrentUnits = 1;
    EXPECT_DOUBLE_EQ(scaled(settings).Scale.CurrentRangeMagnitude, 7e-9);
    settings.CurrentMax = "1";
    EXPECT_DOUBLE_EQ(scaled(settings).Scale.CurrentRangeMagnitude, 3e-9);
}

bool sound(const GraphScale& s) {
    for (double v : {s.XMin, s.XMax, s.XScale, s.XUnitFactor, s.YMin, s.YMax, s.YScale,
                     s.YUnitFactor, s.PotMin, s.PotMax, s.PotScale, s.CurMin, s.CurMax,
                     s.CurScale, s.CurUnitFactor, s.ZeroLine, s.SignalRangeMagnitude,
                     s.CurrentRangeMagnitude})
        if (!std::isfinite(v)) return false;
    return s.XScale != 0 && s.YScale != 0 && s.PotScale != 0 && s.CurScale != 0 &&
           s.XDecimals <= 10 && s.YDecimals <= 6;
}

TEST(XYFactors, AnyTextInAnyFieldLeavesTheScaleSound) {
    const char* texts[] = {"", "abc", "1e999", "nan", "-", "inf", "1e308", "-1e308",
                           "1e-320", "0", "5", " 7", "1,5", "+", "1e-300"};
    GraphScale previous;
    for (const char* a : texts) {
        for (const char* b : texts) {
            ScaleSettings settings;
            settings.XMin = settings.YMin = settings.PotentialMin = settings.CurrentMin = a;
            settings.XMax = settings.YMax = settings.PotentialMax = settings.CurrentMax = b;
            settings.Zero = b;
            settings.XUnits = 2;
            settings.YUnits = 4;
            settings.CurrentUnits = 7; // no such unit
            previous = XYFactors(settings, W, H, previous).Scale;
            ASSERT_TRUE(sound(previous)) << '"' << a << "\" .. \"" << b << '"';
        }
    }
}

TEST(DampingFactor, Table) {
    struct Case {
        const char* damping;
        int units;
        double period;
        double expected;
    };
    const Case cases[] = {
        {"0", 1, 0.1, 0.0},    // no smoothing
        {"50", 0, 0.1, 0.5},
        {"150", 0, 0.1, 1.0},  // clamped: the trace stays at its first value
        {"-20", 0, 0.1, 0.0},
        {"100", 1, 0.1, std::exp(-1.0)},
        {"1", 2, 0.1, std::exp(-0.1)},
        {"-1", 2, 0.1, 0.0},
        {"0", 2, 0.1, 0.0},
        {"abc", 0, 0.1, 0.0},
        {"1e-300", 1, 0.1, 0.0}, // exp of a huge negative number
        {"5", 1, -1.0, 1.0},     // a negative period would grow beyond 1
        {"50", 9, 0.1, 0.5},     // no unit selected counts as %
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(dampingFactor(c.damping, c.units, c.period), c.expected)
            << c.damping << " unit " << c.units;
}

} // namespace
} // namespace varentis
