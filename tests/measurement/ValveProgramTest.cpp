#include "measurement/PumpProgram.h"
#include "measurement/ValveProgram.h"
#include "measurement/ValveProgramText.h"

#include <gtest/gtest.h>

#include "core/NumberText.h"

#include <chrono>
#include <cmath>
#include <random>
#include <string>
#include <vector>

using namespace varentis;

namespace {

struct ScheduleCase {
    const char* what;
    const char* text;
    double cycle;
    std::vector<double> times;
    std::vector<std::uint16_t> masks;
    std::uint16_t stop = 0;
    std::uint16_t pause = 0;
};

void PrintTo(const ScheduleCase& c, std::ostream* os) { *os << c.what; }

class ValveScheduleTest : public ::testing::TestWithParam<ScheduleCase> {};

TEST_P(ValveScheduleTest, SwitchTimesMasksAndStopAndPauseStates) {
    const ScheduleCase& c = GetParam();
    const ValveSchedule s = parseValveProgram(c.text, c.cycle).Schedule;
    EXPECT_EQ(s.SwitchTimes, c.times);
    EXPECT_EQ(s.Masks, c.masks);
    EXPECT_EQ(s.StopMask, c.stop);
    EXPECT_EQ(s.PauseMask, c.pause);
}

INSTANTIATE_TEST_SUITE_P(
    Programs, ValveScheduleTest,
    ::testing::Values(
        ScheduleCase{"closed, open for 5 s, closed", "V1=10,5", 30, {0, 10, 15, 30}, {0, 1, 0, 0}},
        ScheduleCase{"a first 0 opens at the start", "V2=0,20", 30, {0, 20, 30}, {2, 0, 0}},
        ScheduleCase{"a shared switching time is one step", "V1=10,5\nV2=10,10", 30,
                     {0, 10, 15, 20, 30}, {0, 3, 2, 0, 0}},
        ScheduleCase{"SA and PA", "V3=5,5,SA,PA", 30, {0, 5, 10, 30}, {0, 4, 0, 0}, 4, 4},
        ScheduleCase{"V12 is bit 11", "V12=1", 30, {0, 1, 30}, {0, 0x800, 0x800}},
        ScheduleCase{"V11 is not V1", "V11=3", 30, {0, 3, 30}, {0, 0x400, 0x400}},
        ScheduleCase{"a change at the cycle time takes the last step", "V1=10,20", 30,
                     {0, 10, 30}, {0, 1, 0}},
        ScheduleCase{"changes past the cycle are not executed", "V1=10,40,5", 30, {0, 10, 30},
                     {0, 1, 1}},
        ScheduleCase{"no valve: one step for the cycle", "V=5\nvalves off", 30, {0, 30}, {0, 0}},
        ScheduleCase{"text before the name is ignored", "valve one: V1=4", 30, {0, 4, 30},
                     {0, 1, 1}},
        ScheduleCase{"blanks before a number only", "V1= 5,3 ,4,abc,2", 30, {0, 5, 9, 11, 30},
                     {0, 1, 0, 1, 1}},
        ScheduleCase{"a valve named without intervals is open all cycle", "V5=SA", 30, {0, 30},
                     {0x10, 0x10}, 0x10},
        ScheduleCase{"decimals add up as typed: 0.1 + 0.2 is 0.3", "V1=0.1,0.2\nV2=0.3", 1,
                     {0, 0.1, 0.3, 1}, {0, 1, 2, 2}},
        ScheduleCase{"a sum of decimals meets the cycle time", "V1=0.7,0.1,0.2", 1,
                     {0, 0.7, 0.8, 1}, {0, 1, 0, 1}},
        ScheduleCase{"a negative interval holds the valve", "V1=5,-10,20\nV2=15", 30,
                     {0, 5, 15, 30}, {0, 1, 3, 3}},
        ScheduleCase{"a later line replaces the earlier definition whole",
                     "V1=5,5,5,5,SA\nV1=7", 30, {0, 7, 30}, {0, 1, 1}},
        ScheduleCase{"CRLF line ends", "V1=10,5\r\nV2=3\r\n", 30, {0, 3, 10, 15, 30},
                     {0, 2, 3, 2, 2}}));

// Two programs that must give the same intervals and schedule.
struct SameCase {
    const char* text;
    const char* same;
};

class ValveEquivalenceTest : public ::testing::TestWithParam<SameCase> {};

TEST_P(ValveEquivalenceTest, GivesTheSameIntervalsAndSchedule) {
    const SameCase& c = GetParam();
    const ValveProgram a = parseValveProgram(c.text, 30);
    const ValveProgram b = parseValveProgram(c.same, 30);
    EXPECT_EQ(a.ValveIntervals, b.ValveIntervals) << c.text << " vs " << c.same;
    EXPECT_EQ(a.Schedule.SwitchTimes, b.Schedule.SwitchTimes) << c.text;
    EXPECT_EQ(a.Schedule.Masks, b.Schedule.Masks) << c.text;
    EXPECT_EQ(a.Schedule.StopMask, b.Schedule.StopMask) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Programs, ValveEquivalenceTest,
    ::testing::Values(SameCase{"V1=3*(2,2)", "V1=2,2,2,2,2,2"},
                      SameCase{"V1=5,0,3,4", "V1=8,4"}, SameCase{"V1=5,0,3", "V1=8"},
                      SameCase{"V1=0,0,5", "V1=5"},
                      SameCase{"V1=2*(1,3*(2,3))", "V1=1,2,3,2,3,2,3,1,2,3,2,3,2,3"},
                      SameCase{"V1=1,0*(2,3),4", "V1=1,4"},
                      SameCase{"V1=1,2*(3", "V1=1,3,3"},
                      SameCase{"V1=-2*(1)", "V1=1,1"},
                      SameCase{"V1=x*(1,2),4", "V1=4"},
                      SameCase{"V1=2*(1,SA)", "V1=1,1,SA"}));

TEST(ValveGroups, ExpandTheLastGroupFirstAndAtMostTen) {
    const struct {
        const char* list;
        const char* expanded;
    } cases[] = {
        {"2*(1,3*(2,3))", "1,2,3,2,3,2,3,1,2,3,2,3,2,3"},
        {"1,0*(2,3),4", "1,4"},
        {"1,0*(2,3)", "1,"},
        {"2*(1,2", "1,2,1,2"},
        {"2*(1)5", "1,15"}, // the copies join the text after the group
        {"1*(1),1*(2),1*(3),1*(4),1*(5),1*(6),1*(7),1*(8),1*(9),1*(10),1*(11)",
         "1*(1),2,3,4,5,6,7,8,9,10,11"},
    };
    for (const auto& c : cases) EXPECT_EQ(expandValveGroups(c.list), c.expanded) << c.list;
}

TEST(ValveProgram, LanesFollowTheLinesThatNameAValve) {
    const ValveProgram p = parseValveProgram("V3=1\nno valve here\nV1=2\nV3=4", 30);
    EXPECT_EQ(p.LaneCount, 3);
    EXPECT_EQ(p.Lane[2], 2) << "the later line's lane wins";
    EXPECT_EQ(p.Lane[0], 1);
    EXPECT_EQ(p.Lane[1], -1);
    EXPECT_TRUE(p.ValveDefined[0]);
    EXPECT_FALSE(p.ValveDefined[1]);
    EXPECT_EQ(p.ValveIntervals[2], std::vector<double>{4});
    EXPECT_EQ(p.SwitchSums[0], std::vector<double>{2});
}

TEST(ValveProgram, SwitchSumsEndAtTheListsEnd) {
    const ValveProgram p = parseValveProgram("V1=0,5,0,-5,7\nV2=1.5,2.25", 30);
    // 5 + (-5) forms a 0 interval, which ends the list.
    EXPECT_EQ(p.ValveIntervals[0], (std::vector<double>{0, 0, 7}));
    EXPECT_EQ(p.SwitchSums[0], (std::vector<double>{0}));
    EXPECT_EQ(p.SwitchSums[1], (std::vector<double>{1.5, 3.75}));
}

TEST(ValveProgram, FiveThousandTenthsMeetTheCycleTimeExactly) {
    const ValveProgram p = parseValveProgram("V1=5000*(0.1)", 500);
    const ValveSchedule& s = p.Schedule;
    ASSERT_EQ(p.ValveIntervals[0].size(), kMaxValveIntervals);
    ASSERT_EQ(s.SwitchTimes.size(), 5001u);
    EXPECT_EQ(s.SwitchTimes[3], 0.3);
    EXPECT_EQ(s.SwitchTimes[4999], 499.9);
    EXPECT_EQ(p.SwitchSums[0].back(), 500.0);
    EXPECT_EQ(s.Masks[4999], 1) << "open again at 499.9 s";
    EXPECT_EQ(s.Masks[5000], 0) << "the change at the cycle time takes the last step";
}

TEST(ValveProgram, IntervalsBeyondFiveThousandAreIgnored) {
    std::string text = "V2=";
    for (int i = 0; i < 6000; ++i) text += "1,";
    const ValveProgram p = parseValveProgram(text + "SA", 1e9);
    EXPECT_EQ(p.ValveIntervals[1].size(), kMaxValveIntervals);
    EXPECT_EQ(p.Schedule.SwitchTimes.size(), kMaxValveIntervals + 2);
    EXPECT_EQ(p.Schedule.StopMask, 2);
}

TEST(ValveProgram, AnExplodingGroupStopsAtTheIntervalsAValveHolds) {
    const struct {
        const char* text;
        std::uint16_t stop, pause;
    } cases[] = {
        {"V1=1000*(1000*(1000*(1,2))),SA", 1, 0},
        {"V1=1000*(1000*(1000*(1,2,PA)))", 0, 1},
        {"V1=SA,99999999999*(1,0,1,2)", 1, 0},
        {"V1=1000000000*(0,5),PA", 0, 1}, // only adds into one interval
        {"V1=1000000000*(x),1000000000*(SA)", 1, 0},
    };
    for (const auto& c : cases) {
        const auto t0 = std::chrono::steady_clock::now();
        const ValveProgram p = parseValveProgram(c.text, 30);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        EXPECT_LT(seconds, 2.0) << c.text;
        EXPECT_LE(p.ValveIntervals[0].size(), kMaxValveIntervals) << c.text;
        EXPECT_EQ(p.Schedule.StopMask, c.stop) << c.text;
        EXPECT_EQ(p.Schedule.PauseMask, c.pause) << c.text;
    }
    // The first case holds 5000 intervals, alternately 1 and 2 s, as an unbounded
    // expansion would.
    const ValveProgram p = parseValveProgram(cases[0].text, 30);
    ASSERT_EQ(p.ValveIntervals[0].size(), kMaxValveIntervals);
    for (std::size_t k = 0; k < kMaxValveIntervals; ++k)
        ASSERT_EQ(p.ValveIntervals[0][k], k % 2 ? 2.0 : 1.0) << k;
    // Merged intervals keep adding: 1,0,1 is one interval of 2.
    const ValveProgram merged = parseValveProgram(cases[2].text, 30);
    ASSERT_EQ(merged.ValveIntervals[0].size(), kMaxValveIntervals);
    EXPECT_EQ(merged.ValveIntervals[0][0], 2.0);
    EXPECT_EQ(merged.ValveIntervals[0][1], 2.0);
}

TEST(PumpProgram, StepsEndTimesAndSpeeds) {
    const struct {
        const char* text;
        double cycle;
        std::vector<double> ends, speeds;
    } cases[] = {
        {"100(10),0(5),50", 30, {10, 15, 30, 30}, {100, 0, 50, 0}},
        {"", 30, {30, 30}, {0, 0}},
        {"50", 30, {30, 30}, {50, 0}},
        {"-20(5)", 30, {5, 30}, {-20, 0}},
        {"10(0.1),20(0.2),30", 1, {0.1, 0.3, 1, 1}, {10, 20, 30, 0}},
        {"50,100(10)", 30, {30, 40, 30}, {50, 100, 0}},
        {"abc(x),5", 30, {0, 30, 30}, {0, 5, 0}},
        {"7(3", 30, {30, 30}, {0, 0}}, // no ")": the whole item is no number
        {" 40(2)", 30, {2, 30}, {40, 0}},
    };
    for (const auto& c : cases) {
        const PumpSchedule p = parsePumpProgram(c.text, c.cycle);
        EXPECT_EQ(p.EndTimes, c.ends) << '"' << c.text << '"';
        EXPECT_EQ(p.Speeds, c.speeds) << '"' << c.text << '"';
        EXPECT_EQ(p.StepCount, static_cast<int>(c.speeds.size())) << '"' << c.text << '"';
    }
}

TEST(ValveProgram, ItemsReadAsNumberFieldsRead) {
    const char* items[] = {"5",     " 5",   "\t2.5", "5.",   ".5",   "+7",   "-3",    "007",
                           "0.001", "1e-3", "1.5E1", "5 ",   "1.2.3", ".",   "-",    "1e",
                           "nan",   "0x10", "12345678901234567", "0.0000000000000000123",
                           "1e999", "99999999999999.9"};
    for (const char* item : items) {
        bool valid = false;
        const double expected = readNumber(item, &valid);
        const ValveProgram p = parseValveProgram(std::string("V1=") + item, 1e300);
        ASSERT_EQ(p.ValveIntervals[0].size(), 1u) << item;
        EXPECT_EQ(p.ValveIntervals[0][0], valid ? expected : 0.0) << '"' << item << '"';
    }
}

// Whatever the text, the schedule keeps its shape: 0 first, the cycle time last, strictly
// increasing times, a mask per step and nothing beyond the twelve valves.
TEST(ValveProgram, AnyTextGivesAWellFormedSchedule) {
    std::mt19937 gen(17);
    const char* pieces[] = {"V1=", "V2=", "V12=", "V1", "=", "1", "0", "2.5", "-3", "0.1",
                            ",",   ",",   "*(",   ")",  "(", "3", "SA", "PA", " ", "1e2",
                            "\n", "9999999*(", "0*(", "x"};
    std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
    std::uniform_int_distribution<int> length(0, 60);
    for (int i = 0; i < 3000; ++i) {
        std::string text;
        for (int n = length(gen); n > 0; --n) text += pieces[pick(gen)];
        const double cycle = i % 3 == 0 ? 30.0 : i % 3 == 1 ? 0.5 : 1e-3;
        const ValveProgram p = parseValveProgram(text, cycle);
        const ValveSchedule& s = p.Schedule;
        ASSERT_GE(s.SwitchTimes.size(), 2u) << text;
        ASSERT_EQ(s.SwitchTimes.size(), s.Masks.size()) << text;
        EXPECT_EQ(s.SwitchTimes.front(), 0.0) << text;
        EXPECT_EQ(s.SwitchTimes.back(), cycle) << text;
        for (std::size_t j = 1; j < s.SwitchTimes.size(); ++j)
            ASSERT_LT(s.SwitchTimes[j - 1], s.SwitchTimes[j]) << text;
        for (std::uint16_t m : s.Masks) ASSERT_EQ(m & 0xF000, 0) << text;
        for (const auto& intervals : p.ValveIntervals)
            ASSERT_LE(intervals.size(), kMaxValveIntervals) << text;
        if (HasFailure()) return;
    }
}

} // namespace
