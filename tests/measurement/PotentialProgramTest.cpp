#include "measurement/PotentialProgram.h"

#include "hardware/ModuleCodes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace varentis;

namespace {

struct Step {
    double end;   // s
    double volts; // V
};

std::vector<Step> steps(const PotentialSchedule& s) {
    std::vector<Step> out;
    for (std::size_t i = 0; i < s.EndTimes.size(); ++i) out.push_back({s.EndTimes[i], s.Potentials[i]});
    return out;
}

struct ProgramCase {
    const char* text;
    double cycle;
    std::vector<Step> expected;
};

TEST(PotentialProgram, ItemsGiveCumulativeStepsAndOneClosingStep) {
    const ProgramCase cases[]{
        {"500(10),-200(5),0", 30, {{10, 0.5}, {15, -0.2}, {30, 0}, {30, 0}}},
        {"0", 30, {{30, 0}, {30, 0}}},
        {"", 30, {{30, 0}, {30, 0}}},
        {"800", 12, {{12, 0.8}, {12, 0}}},
        {"1000(2.5),0(2.5)", 30, {{2.5, 1.0}, {5, 0}, {30, 0}}},
        // No parentheses in the middle: that step ends at the cycle time, the next counts on.
        {"100,200(5)", 20, {{20, 0.1}, {25, 0.2}, {20, 0}}},
        // Unreadable numbers are 0; nothing is rejected.
        {"abc(3),x,500(y)", 30, {{3, 0}, {30, 0}, {30, 0.5}, {30, 0}}},
        // A ")" before the "(": the potential text runs up to the "(" and the time is empty.
        {"300)2(", 30, {{0, 0}, {30, 0}}},
        {"-1500(1e1)", 30, {{10, -1.5}, {30, 0}}},
        // A trailing comma is an empty item.
        {"500(10),", 30, {{10, 0.5}, {30, 0}, {30, 0}}},
        // Blanks before a number are read; anything after it makes it unreadable.
        {" 500( 10)", 30, {{10, 0.5}, {30, 0}}},
        {"500 (10)", 30, {{10, 0}, {30, 0}}},
    };
    for (const ProgramCase& c : cases) {
        SCOPED_TRACE(c.text);
        const PotentialSchedule s = parsePotentialProgram(c.text, c.cycle);
        EXPECT_EQ(s.StepCount, static_cast<int>(s.EndTimes.size()));
        EXPECT_GE(s.StepCount, 2);
        ASSERT_EQ(s.Potentials.size(), s.EndTimes.size());
        const auto got = steps(s);
        ASSERT_EQ(got.size(), c.expected.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].end, c.expected[i].end) << "step " << i;
            EXPECT_EQ(got[i].volts, c.expected[i].volts) << "step " << i;
        }
    }
}

TEST(PotentialProgram, EndTimesAreTheDecimalSumsOfTheTypedTimes) {
    // In doubles 0.1 + 0.2 is above 0.3, and the timer's 0.3 s would not reach that step's end.
    const PotentialSchedule s = parsePotentialProgram("1(0.1),2(0.2),3(0.3),4(0.7)", 30);
    EXPECT_EQ(s.EndTimes[0], 0.1);
    EXPECT_EQ(s.EndTimes[1], 0.3);
    EXPECT_EQ(s.EndTimes[2], 0.6);
    EXPECT_EQ(s.EndTimes[3], 1.3);
    EXPECT_EQ(s.EndTimes[1], 30000 / 1e5) << "the timer's count for 0.3 s";
}

TEST(PotentialProgram, TypedMillivoltsReachTheConverterAsExactDecimalsWould) {
    struct Case {
        const char* text;
        int code;
        bool wide;
    };
    const Case cases[]{
        {"500", 2560, false},   {"-1000", 1024, false}, {"1999.5", 4095, false},
        {"2000", 2867, true},   {"-2000", 1229, true},  {"-6000", 0, true},
        {"5000", 4095, true},   {"200", 2253, false},   {"0", 2048, false},
        // Exact halves go to the even code.
        {"0.48828125", 2048, false},     {"1.46484375", 2050, false},
        {"-0.48828125", 2048, false},    {"2000.732421875", 2868, true},
        {"2003.173828125", 2868, true},  {"1999.9999", 4095, false},
    };
    for (const Case& c : cases) {
        const double volts = parsePotentialProgram(c.text, 30).Potentials[0];
        EXPECT_EQ(ecellPotentialCode(volts), (EcellPotentialCode{c.code, c.wide})) << c.text << " mV";
    }
}

} // namespace
