#include "BusTrace.h"
#include "SimFixture.h"

#include "core/NumberText.h"
#include "hardware/ModuleCodes.h"
#include "hardware/Registers.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <span>
#include <string>
#include <thread>

namespace varentis::test {
namespace {

using Writes = std::vector<RegisterWrite>;

// ---- PMT detector ----

TEST(PmtCodes, VoltageCodeLimitsAndRounding) {
    struct Case {
        double volts, max, factor;
        int code;
    };
    const Case cases[]{
        {0, 1000, 1.0, 2048},     {500, 1000, 1.0, 1548},  {1500, 1000, 1.0, 1048},
        {-5, 1000, 1.0, 2048},    {2000, 2000, 1.1, 0},    {0.5, 1000, 1.0, 2048},
        {1.5, 1000, 1.0, 2046},   {100, 0, 0, 2048},       {std::nan(""), 1000, 1.0, 2048},
        {100, 1000, 0.95, 1953},  {-1e9, 1000, 1.0, 2048}, {1000, 1000, -3.0, 4095},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pmtVoltageCode(c.volts, c.max, c.factor), c.code)
            << c.volts << " V, max " << c.max << ", factor " << c.factor;
}

// Typed voltages and factors whose product is exactly a half: in doubles 1100 × 1.005 is a
// hair above 1105.5 and 1500 × 1.001 a hair above 1501.5; on paper both go to the even code.
TEST(PmtCodes, VoltageCodeDecidesHalvesOnTheTypedDecimals) {
    struct Case {
        const char *volts, *max, *factor;
        int code;
    };
    const Case cases[]{
        {"1100", "2000", "1.005", 942}, {"1500", "2000", "1.001", 546},
        {"1900", "2000", "1.005", 138}, {"750", "2000", "1.05", 1260},
        {"0.5", "2000", "1", 2048},     {"2.5", "2000", "1.000", 2046},
        {"2500", "1500", "1.001", 546}, // the voltage is first limited to the maximum
        {"100.5", "2000", "-1", 2148},  {"1e3", "2e3", "0.9995", 1048},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pmtVoltageCode(readNumber(c.volts), readNumber(c.max), readNumber(c.factor)),
                  c.code)
            << c.volts << " V, max " << c.max << ", factor " << c.factor;
}

// Every factor the setup dialog lets through with three decimals, at every whole voltage,
// against the same sum in integers: 2048 − V × k / 1000, halves to even.
TEST(PmtCodes, VoltageCodeMatchesIntegerArithmeticOverTheWholeFactorRange) {
    int mismatches = 0;
    for (int k = 900; k <= 1100; ++k) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%d.%03d", k / 1000, k % 1000);
        const double factor = readNumber(buf);
        for (int volts = 0; volts <= 2000; ++volts) {
            const long milli = static_cast<long>(volts) * k; // V × factor in thousandths
            long whole = milli / 1000;
            const long rest = milli % 1000;
            if (rest > 500 || (rest == 500 && whole % 2 == 1)) ++whole;
            const long expected = std::clamp(2048 - whole, 0L, 4095L);
            if (pmtVoltageCode(volts, 2000, factor) != expected && ++mismatches <= 5)
                ADD_FAILURE() << volts << " V, factor " << buf << ": expected " << expected;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(PmtCodes, RangeIsTheMostSensitiveThatHoldsTheCurrent) {
    const std::pair<double, int> cases[]{{5e-9, 5},  {1e-8, 5},  {1.1e-8, 4}, {2e-3, 0},
                                         {-3e-6, 2}, {0.0, 5},   {1e-7, 4},   {1e-3, 0},
                                         {1.0001e-3, 0}, {std::nan(""), 5}};
    for (auto [current, range] : cases) EXPECT_EQ(pmtRangeFor(current), range) << current;
}

// A limit typed in a unit is a product of doubles a few units in the last place away from
// the decimal it means: 100 x 1e-9 lies above the double 1e-7, yet it is that full scale.
TEST(PmtCodes, RangeTakesAProductOfTypedDecimalsEqualToAFullScaleAsEqual) {
    const struct {
        const char* typed;
        double unit;
        int range;
    } cases[]{{"100", 1e-9, 4}, {"1000", 1e-9, 3}, {"10", 1e-9, 5},    {"0.1", 1e-6, 4},
              {"100", 1e-6, 1}, {"1", 1e-3, 0},    {"100.001", 1e-9, 3}, {"10.0001", 1e-9, 4}};
    for (const auto& c : cases)
        EXPECT_EQ(pmtRangeFor(readNumber(c.typed) * c.unit), c.range) << c.typed << " x " << c.unit;
}

using Pmt = SimFixture;

TEST_F(Pmt, SetVoltageWritesHighByteFirst) {
    dev.SetPMTMaxVoltage(1000);
    dev.SetPMTVoltageFactor(1.0);
    const std::pair<double, Writes> cases[]{
        {0, {{0x90, 8}, {0x91, 0}}},
        {500, {{0x90, 6}, {0x91, 12}}},
        {1500, {{0x90, 4}, {0x91, 24}}},
        {-5, {{0x90, 8}, {0x91, 0}}},
    };
    for (const auto& [volts, expected] : cases) {
        sim.clearRecord();
        dev.PMTSetVoltage(volts);
        EXPECT_EQ(writes(), expected) << volts;
    }
}

TEST_F(Pmt, SetCurrentReplacesOnlyTheRangeBits) {
    dev.PMTOn(0, 1e-6); // high voltage on, range 3: 0x0B
    sim.clearRecord();
    dev.PMTSetCurrent(1e-7);
    EXPECT_EQ(dev.PMTRange(), 4);
    dev.PMTOff();
    dev.PMTSetCurrent(1e-7);
    EXPECT_EQ(writes(), (Writes{{0xA2, 0x0C}, {0xA2, 0x00}, {0xA2, 0x04}}));
    EXPECT_EQ(sim.pmtControl(), 0x04);
}

TEST_F(Pmt, OnWritesInOrderAndSwitchesTheHighVoltageOn) {
    dev.SetPMTMaxVoltage(1000);
    dev.SetPMTVoltageFactor(1.0);
    dev.PMTOn(500, 1e-6);
    EXPECT_EQ(writes(), (Writes{{0x90, 8}, {0x91, 0}, {0x92, 10}, {0xA2, 3}, {0x90, 6},
                                {0x91, 12}, {0xA2, 0x0B}}));
    EXPECT_EQ(dev.PMTControl(), 0x0B);
    EXPECT_EQ(dev.PMTAcqControl(), 10);
    EXPECT_DOUBLE_EQ(sim.pmtHighVoltage(), 500.0);
    // Switched on already: the range write keeps the on bit.
    sim.clearRecord();
    dev.PMTOn(0, 1e-8);
    EXPECT_EQ(writes()[3], (RegisterWrite{0xA2, 0x0D}));
}

TEST_F(Pmt, ReadingConversionWithSignAndOverRange) {
    dev.SetCurrentTexts({"0", "0", "0", "0", "0", "0"},
                        {"1.0000", "1.0000", "1.0000", "1.0000", "1.0000", "1.0000"});
    dev.PMTCalculateCFactors();
    struct Case {
        std::uint8_t hi, lo;
        int counts;
    };
    const Case cases[]{{0x45, 0x10, 1296},  {0x05, 0x10, -1296}, {0x65, 0x10, 4095},
                       {0x25, 0x10, -4095}, {0x4F, 0xFF, 4095},  {0x40, 0x00, 0},
                       {0x95, 0x10, -1296} /* bit 15 and bit 12 unused */};
    for (const Case& c : cases) {
        sim.scriptRead(0x91, {c.hi});
        sim.scriptRead(0x90, {c.lo});
        sim.clearRecord();
        EXPECT_DOUBLE_EQ(dev.PMTGetCurrent(), c.counts * 4.883e-7) << int(c.hi);
        // High byte first.
        ASSERT_GE(sim.portAccesses().size(), 8u);
        EXPECT_EQ(sim.portAccesses()[0].value, 0x91);
        EXPECT_EQ(sim.portAccesses()[7].value, 0x90);
    }
}

TEST_F(Pmt, CalibrationZeroAndFactorPerRange) {
    dev.SetCurrentTexts({"0", "", "-3.5", "10", "abc", "1e1"},
                        {"1.0000", "0.9", "1.1", "", "2", "x"});
    dev.PMTCalculateCFactors();
    EXPECT_EQ(dev.CurrentZero(), (std::array<double, 6>{0, 0, -3.5, 10, 0, 10}));
    EXPECT_DOUBLE_EQ(dev.CurrentScale()[1], 4.883e-8 * 0.9);
    EXPECT_DOUBLE_EQ(dev.CurrentScale()[2], 4.883e-9 * 1.1);
    EXPECT_EQ(dev.CurrentScale()[3], 0.0);
    EXPECT_EQ(dev.CurrentScale()[5], 0.0);

    dev.PMTSetCurrent(1e-6); // range 3, zero 10
    sim.scriptRead(0x91, {0x40});
    sim.scriptRead(0x90, {10});
    dev.SetCurrentFactorText(3, "1");
    dev.PMTCalculateCFactors();
    EXPECT_EQ(dev.PMTGetCurrent(), 0.0);
}

TEST_F(Pmt, TestReadsTheAcquisitionBoardOnlyAfterTheController) {
    EXPECT_TRUE(dev.PMTTest());
    sim.scriptRead(0xA2, {0x5A});
    sim.clearRecord();
    EXPECT_FALSE(dev.PMTTest());
    EXPECT_EQ(sim.portAccesses().size(), 7u) << "0x92 must not be read";
    sim.scriptRead(0xA2, {});
    sim.scriptRead(0x92, {0xB8});
    EXPECT_FALSE(dev.PMTTest());
}

// ---- Timer ----

using Timer = SimFixture;

TEST_F(Timer, GetTimeAssemblesTheFourBytesLowFirst) {
    struct Case {
        std::uint8_t b[4];
        double seconds;
    };
    const Case cases[]{{{0x10, 0x27, 0x00, 0x00}, 0.1},
                       {{0xFF, 0xFF, 0xFF, 0xFF}, 42949.67295},
                       {{0x00, 0x00, 0x00, 0x01}, 167.77216},
                       {{0x00, 0x00, 0x00, 0x00}, 0.0}};
    for (const Case& c : cases) {
        for (int i = 0; i < 4; ++i) sim.scriptRead(static_cast<std::uint8_t>(0x84 + i), {c.b[i]});
        EXPECT_EQ(dev.GetTime(), c.seconds);
    }
}

// The counter runs while its four bytes are read, low byte first, with no latch. A carry
// out of byte 0 that falls between two of the reads would tear the count (0.65535 s read as
// 1.31071 s); whatever moment the reads start, the time must lie between the counts before
// and after them.
TEST_F(Timer, GetTimeIsNeverTornByACarryDuringTheReads) {
    sim.setRecordLimit(0);
    for (std::uint32_t carry : {0x100u, 0x10000u, 0x1000000u}) {
        int torn = 0;
        std::string first;
        // The reads take about 35 µs: starting them from 70 µs before the carry in steps
        // of 1 µs puts it before, between and after every one of them.
        for (int us = 70; us > 0; --us) {
            dev.TimerStart();
            dev.TimerReset();
            sim.clock().advance(std::int64_t{carry} * 10'000 - us * 1'000);
            const std::uint32_t before = sim.timerCount();
            const double t = dev.GetTime();
            const std::uint32_t after = sim.timerCount();
            if (!(t >= before / 1e5 && t <= after / 1e5) && torn++ == 0)
                first = std::to_string(us) + " us before the carry: " + std::to_string(t) +
                        " s read between counts " + std::to_string(before) + " and " +
                        std::to_string(after);
        }
        EXPECT_EQ(torn, 0) << "carry into 0x" << std::hex << carry << ", first at " << first;
    }
}

// The four bytes are read low to high; one more read of byte 0 tells whether it wrapped
// meanwhile, and only then are the four read again.
TEST_F(Timer, GetTimeReadsTheBytesLowToHighAndAgainOnlyAfterAWrapOfByteZero) {
    auto timerReads = [this] {
        std::vector<std::string> reads;
        for (const std::string& op : registerOps(sim.portAccesses()))
            if (op[0] == 'R') reads.push_back(op);
        return reads;
    };
    const std::vector<std::string> once{"R 84", "R 85", "R 86", "R 87", "R 84"};
    std::vector<std::string> twice = once;
    twice.insert(twice.end(), {"R 84", "R 85", "R 86", "R 87"});

    struct Case {
        int microsecondsBeforeCarry; // when the reads start, before byte 0 wraps
        std::vector<std::string> reads;
    };
    const Case cases[]{{200, once}, {25, twice}, {15, twice}, {-20, once}};
    for (const Case& c : cases) {
        dev.TimerStart();
        dev.TimerReset();
        sim.clock().advance(0x300 * 10'000 - c.microsecondsBeforeCarry * 1'000);
        sim.clearRecord();
        const std::uint32_t before = sim.timerCount();
        const double t = dev.GetTime();
        EXPECT_EQ(timerReads(), c.reads) << c.microsecondsBeforeCarry << " us before the carry";
        EXPECT_GE(t, before / 1e5);
        EXPECT_LE(t, sim.timerCount() / 1e5);
    }
}

TEST_F(Timer, CommandsWriteZeroToTheirRegisters) {
    dev.TimerStart();
    dev.TimerStop();
    dev.TimerReset();
    EXPECT_EQ(writes(), (Writes{{0x85, 0}, {0x84, 0}, {0x86, 0}}));
}

TEST_F(Timer, CountsModelTimeHoldsWhenStoppedAndWraps) {
    dev.TimerStop();
    dev.TimerReset();
    sim.advanceSeconds(5);
    EXPECT_EQ(sim.timerCount(), 0u);
    dev.TimerStart();
    dev.TimerReset();
    sim.advanceSeconds(1.5);
    const double t = dev.GetTime();
    // 1.5 s plus the microseconds of the reads themselves.
    EXPECT_NEAR(t, 1.5, 0.0001);
    dev.TimerStop();
    const std::uint32_t held = sim.timerCount();
    sim.advanceSeconds(3);
    EXPECT_EQ(sim.timerCount(), held);
    dev.TimerStart();
    sim.advanceSeconds(2);
    EXPECT_NEAR(dev.GetTime(), 3.5, 0.0001);
    // Reset keeps it counting.
    dev.TimerReset();
    sim.advanceSeconds(0.25);
    EXPECT_NEAR(dev.GetTime(), 0.25, 0.0001);

    // 2^32 counts of 10 µs later the counter shows the same value again.
    dev.TimerStop();
    const std::uint32_t before = sim.timerCount();
    dev.TimerStart();
    sim.advanceSeconds(42949.67296);
    dev.TimerStop();
    // Only the microseconds of the two bus writes are added.
    EXPECT_LE(sim.timerCount() - before, 1u);
}

// ---- Valves and pump ----

TEST(ValvePacking, BytesOfTheThreeRegisters) {
    struct Case {
        std::uint16_t mask;
        std::uint8_t v1to4, v5to8, v9to12;
    };
    const Case cases[]{{0x0001, 0x03, 0x00, 0x00}, {0x0FFF, 0xFF, 0xFF, 0xFF},
                       {0x0120, 0x00, 0x0C, 0x03}, {0xF000, 0x00, 0x00, 0x00},
                       {0x0808, 0xC0, 0x00, 0xC0}, {0x0050, 0x00, 0x33, 0x00}};
    for (const Case& c : cases) {
        const ValveBytes b = packValves(c.mask);
        EXPECT_EQ(b.valves1to4, c.v1to4) << c.mask;
        EXPECT_EQ(b.valves5to8, c.v5to8) << c.mask;
        EXPECT_EQ(b.valves9to12, c.v9to12) << c.mask;
        EXPECT_EQ(unpackValves(b), c.mask & 0x0FFF) << c.mask;
    }
    // A valve with only one of its two bits set is not open.
    EXPECT_EQ(unpackValveNibble(0x01), 0u);
    EXPECT_EQ(unpackValveNibble(0x0E), 2u);
}

using Valves = SimFixture;

TEST_F(Valves, SetValvesWritesAllThreeRegistersInOrder) {
    dev.SetValves(0x0120);
    EXPECT_EQ(writes(), (Writes{{0x70, 0x00}, {0x72, 0x0C}, {0x71, 0x03}}));
    EXPECT_EQ(sim.valveMask(), 0x0120);
    EXPECT_EQ(dev.ValveState(), 0x0120);
}

TEST_F(Valves, SetValveChangesOneValveFromTheLastMask) {
    dev.SetValves(0x0005);
    dev.SetValve(1, true);
    EXPECT_EQ(dev.ValveState(), 0x0007);
    EXPECT_EQ(sim.valveMask(), 0x0007);
    dev.SetValve(0, false);
    EXPECT_EQ(sim.valveMask(), 0x0006);
    dev.SetValve(11, true);
    EXPECT_EQ(sim.valveMask(), 0x0806);
    sim.clearRecord();
    dev.SetValve(16, true); // no such bit: nothing written
    EXPECT_TRUE(writes().empty());
    EXPECT_EQ(dev.ValveState(), 0x0806);
}

TEST(PumpCodes, SpeedAndDirection) {
    struct Case {
        double percent;
        std::uint8_t speed, direction;
    };
    const Case cases[]{{50, 128, 1},  {-20, 51, 3},  {0, 0, 0},    {150, 255, 1},
                       {10, 26, 1},   {-150, 255, 3}, {100, 255, 1}, {0.1, 0, 1},
                       {std::nan(""), 0, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(pumpSpeedCode(c.percent), c.speed) << c.percent;
        EXPECT_EQ(pumpDirectionCode(c.percent), c.direction) << c.percent;
    }
}

using Pump = SimFixture;

TEST_F(Pump, RunWritesSpeedBeforeDirectionAndStopLeavesTheSpeed) {
    dev.PumpRun(50);
    dev.PumpRun(0);
    dev.PumpRun(-20);
    dev.PumpStop();
    EXPECT_EQ(writes(), (Writes{{0x80, 128}, {0x81, 1}, {0x80, 0}, {0x81, 0}, {0x80, 51},
                                {0x81, 3}, {0x81, 0}}));
    EXPECT_EQ(sim.pumpSpeed(), 51);
    EXPECT_EQ(sim.pumpDirection(), 0);
}

// ---- Potentiostat ----

TEST(EcellCodes, RangeIsTheMostSensitiveThatHoldsTheCurrentWithTypedEquality) {
    const std::pair<double, int> cases[]{
        {5e-10, 6},       {2e-6, 2},      {1e-9, 6},        {1.1e-9, 5},     {2e-3, 0},
        {-3e-6, 2},       {0.0, 6},       {1e-3, 0},        {std::nan(""), 6},
        // Typed limits times unit factors: exactly a full scale in decimal, not in doubles.
        {100 * 1e-9, 4},  {0.1 * 1e-6, 4}, {1000 * 1e-12, 6}, {10 * 1e-6, 2},  {-100 * 1e-9, 4},
        {3 * 0.1e-6, 3},
        // Clearly above a full scale is above it.
        {1e-7 * (1 + 1e-12), 3},
    };
    for (auto [current, range] : cases) EXPECT_EQ(ecellRangeFor(current), range) << current;
    ASSERT_GT(100 * 1e-9, 1e-7) << "the double product the tolerance is for";
}

TEST(EcellCodes, RangeHelperServesAnyFullScaleTable) {
    EXPECT_EQ(rangeForFullScale(PMTRangeFullScale, 100 * 1e-9), 4);
    EXPECT_EQ(rangeForFullScale(PMTRangeFullScale, 1.1e-8), 4);
    EXPECT_EQ(rangeForFullScale(PMTRangeFullScale, 5e-9), 5);
    EXPECT_EQ(rangeForFullScale(std::span<const double>{}, 1.0), 0);
}

TEST(EcellCodes, ControlByteKeepsTheModeAndReplacesTheRange) {
    EXPECT_EQ(ecellControlWithRange(7, 6), 0xC7);
    EXPECT_EQ(ecellControlWithRange(7, 2), 0x47);
    EXPECT_EQ(ecellControlWithRange(0xC1, 3), 0x61);
    EXPECT_EQ(ecellControlWithRange(0, 5), 0xA0);
}

TEST(EcellCodes, ReadingWordToCurrent) {
    EXPECT_DOUBLE_EQ(ecellReadingCurrent(0x7D0, 3), 48 * 4.88e-10);
    EXPECT_DOUBLE_EQ(ecellReadingCurrent(2048, 0), 0.0);
    EXPECT_DOUBLE_EQ(ecellReadingCurrent(4095, 6), -2047 * 4.88e-13);
    EXPECT_DOUBLE_EQ(ecellReadingCurrent(0, 9), 2048 * 4.88e-13) << "a range beyond the table";
}

using Ecell = SimFixture;

TEST_F(Ecell, SetPotentialWritesTheSpanBeforeOrAfterTheCodeHighByteFirst) {
    const std::pair<double, Writes> cases[]{
        {0.5, {{0x96, 10}, {0x94, 10}, {0x95, 0}}},
        {-1.0, {{0x96, 10}, {0x94, 4}, {0x95, 0}}},
        {1.9995, {{0x96, 10}, {0x94, 15}, {0x95, 255}}},
        {2.0, {{0x94, 11}, {0x95, 51}, {0x96, 2}}},
        {-6.0, {{0x94, 0}, {0x95, 0}, {0x96, 2}}},
        {5.0, {{0x94, 15}, {0x95, 255}, {0x96, 2}}},
        {std::nan(""), {{0x96, 10}, {0x94, 8}, {0x95, 0}}},
    };
    for (const auto& [volts, expected] : cases) {
        sim.clearRecord();
        dev.EcellSetPotential(volts);
        EXPECT_EQ(writes(), expected) << volts;
    }
    dev.EcellSetPotential(-1.0);
    EXPECT_DOUBLE_EQ(sim.ecellPotential(), -1.0);
    dev.EcellSetPotential(-4.0);
    EXPECT_NEAR(sim.ecellPotential(), -4.0, 1.0 / 409.6);
    EXPECT_EQ(sim.ecellSpan(), 2);
}

TEST_F(Ecell, SetCurrentReplacesOnlyTheRangeBits) {
    dev.EcellOn(true, 1e-3, 0); // three electrodes, range 0: 0x07
    sim.clearRecord();
    dev.EcellSetCurrent(5e-10);
    EXPECT_EQ(dev.EcellRange(), 6);
    dev.EcellSetCurrent(2e-6);
    EXPECT_EQ(dev.EcellRange(), 2);
    EXPECT_EQ(writes(), (Writes{{0x74, 0xC7}, {0x74, 0x47}}));
    EXPECT_EQ(dev.EcellControl(), 0x47);
}

TEST_F(Ecell, OnSwitchesTheCellOnWithTheRangeThenSetsThePotentialThenWritesTheControlAgain) {
    dev.EcellOn(false, 1e-6, 0.2);
    EXPECT_EQ(writes(), (Writes{{0x74, 0x61}, {0x96, 10}, {0x94, 8}, {0x95, 205}, {0x74, 0x61}}));
    EXPECT_EQ(dev.EcellControl(), 0x61);
    EXPECT_EQ(dev.EcellRange(), 3);
    EXPECT_TRUE(sim.ecellCellOn());

    // Three electrodes, a range from a typed axis limit, the wide span; the old range bits go.
    sim.clearRecord();
    dev.EcellOn(true, 100 * 1e-9, -2.5);
    EXPECT_EQ(writes(), (Writes{{0x74, 0x87}, {0x94, 0x04}, {0x95, 0x00}, {0x96, 2}, {0x74, 0x87}}));

    sim.clearRecord();
    dev.EcellOff();
    EXPECT_EQ(writes(), (Writes{{0x74, 0}})) << "the potential registers are not touched";
    EXPECT_EQ(dev.EcellControl(), 0);
    EXPECT_FALSE(sim.ecellCellOn());
    EXPECT_EQ(sim.ecellPotentialCode(), 0x400);
}

TEST_F(Ecell, GetCurrentStartsAConversionWaitsForItAndReadsHighByteFirst) {
    dev.EcellSetCurrent(1e-6); // range 3
    sim.clearRecord();
    sim.scriptRead(0x95, {0x1F, 0x1F, 0x07});
    sim.scriptRead(0x94, {0xD0});
    EXPECT_DOUBLE_EQ(dev.EcellGetCurrent(), 48 * EcellScale[3]);
    EXPECT_EQ(registerOps(sim.portAccesses()),
              (std::vector<std::string>{"W 97 00", "R 95", "R 95", "R 95", "R 94"}));
}

TEST_F(Ecell, GetCurrentGivesUpAfterAHundredReadsAndConvertsWhatItHas) {
    sim.scriptRead(0x95, {0x1F});
    sim.scriptRead(0x94, {0x00});
    const double current = dev.EcellGetCurrent();
    const auto ops = registerOps(sim.portAccesses());
    ASSERT_EQ(ops.size(), 102u);
    EXPECT_EQ(ops.front(), "W 97 00");
    EXPECT_EQ(std::count(ops.begin(), ops.end(), "R 95"), 100);
    EXPECT_EQ(ops.back(), "R 94");
    EXPECT_DOUBLE_EQ(current, (2048 - 0x1F00) * EcellScale[0]) << "range 0 before any selection";
}

TEST_F(Ecell, SimulatedConversionTakesAFewReads) {
    dev.EcellOn(true, 1e-9, 0.0);
    for (int i = 0; i < 3; ++i) {
        sim.clearRecord();
        dev.EcellGetCurrent();
        const auto ops = registerOps(sim.portAccesses());
        EXPECT_EQ(std::count(ops.begin(), ops.end(), "R 95"), 3);
    }
}

// ---- Device test ----

using DeviceTest = SimFixture;

TEST_F(DeviceTest, AllModulesPresent) {
    EXPECT_TRUE(dev.DeviceTest());
    for (const DeviceTestLine& line : deviceTestLines(dev.LastDeviceTest()))
        EXPECT_EQ(line.result, "OK") << line.module;
    EXPECT_TRUE(sim.timerRunning()) << "left running from a fresh start";
}

TEST_F(DeviceTest, TimerSequenceIsStopClearReadTenStartsRead) {
    dev.TestModules();
    std::vector<RegisterWrite> timer;
    for (const RegisterWrite& w : writes())
        if (w.address >= 0x84 && w.address <= 0x86) timer.push_back(w);
    Writes expected{{0x84, 0}, {0x86, 0}};
    for (int i = 0; i < 10; ++i) expected.push_back({0x85, 0});
    EXPECT_EQ(timer, expected);
}

TEST_F(DeviceTest, RunInProgressKeepsItsTimeBase) {
    // A paused run: the timer holds a count that the device test must neither clear nor let run on.
    dev.TimerReset();
    dev.TimerStart();
    sim.advanceSeconds(2.5);
    dev.TimerStop();
    const std::uint32_t held = sim.timerCount();
    ASSERT_GT(held, 200000u);
    EXPECT_TRUE(dev.DeviceTest(TDevice::TimerCheck::Held));
    EXPECT_FALSE(sim.timerRunning()) << "held again after the check";
    EXPECT_GE(sim.timerCount(), held);
    EXPECT_LT(sim.timerCount(), held + 100) << "counted only during the check";

    // A running run: watched, never stopped or cleared.
    dev.TimerStart();
    sim.clearRecord();
    const std::uint32_t running = sim.timerCount();
    EXPECT_TRUE(dev.DeviceTest(TDevice::TimerCheck::Running));
    EXPECT_TRUE(sim.timerRunning());
    EXPECT_GE(sim.timerCount(), running);
    for (const RegisterWrite& w : writes()) EXPECT_NE(w.address, 0x86) << "never cleared";
}

TEST_F(DeviceTest, RunInProgressStillFindsADeadTimer) {
    sim.scriptRead(0x84, {0x42});
    EXPECT_FALSE(dev.DeviceTest(TDevice::TimerCheck::Held));
    EXPECT_FALSE(dev.DeviceTest(TDevice::TimerCheck::Running));
    EXPECT_EQ(deviceTestLines(dev.LastDeviceTest())[2].result, "not ready");
}

struct ModuleFault {
    const char* name;
    unsigned absent;
    std::uint8_t scriptedAddress;
    std::vector<std::uint8_t> scripted;
    std::size_t failingLine; // index in deviceTestLines
    unsigned faults = 0;     // SimFault bits
};

void PrintTo(const ModuleFault& fault, std::ostream* os) { *os << fault.name; }

class DeviceTestFaults : public SimFixture, public ::testing::WithParamInterface<ModuleFault> {
protected:
    static SimOptions options() {
        SimOptions o = testSimOptions();
        o.absentModules = GetParam().absent;
        o.faults = GetParam().faults;
        return o;
    }
    DeviceTestFaults() : SimFixture(options()) {}
};

TEST_P(DeviceTestFaults, OnlyTheFaultyModuleIsNotReady) {
    const ModuleFault& f = GetParam();
    if (!f.scripted.empty()) sim.scriptRead(f.scriptedAddress, f.scripted);
    EXPECT_FALSE(dev.DeviceTest());
    const auto lines = deviceTestLines(dev.LastDeviceTest());
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(lines[i].result, i == f.failingLine ? "not ready" : "OK") << lines[i].module;
}

INSTANTIATE_TEST_SUITE_P(
    Modules, DeviceTestFaults,
    ::testing::Values(ModuleFault{"PmtController", SimPmtController, 0, {}, 0},
                      ModuleFault{"PmtAcquisition", SimPmtAcquisition, 0, {}, 0},
                      ModuleFault{"Potentiostat", SimPotentiostat, 0, {}, 1},
                      ModuleFault{"PotentiostatA5", 0, 0x74, {0xA5}, 1},
                      ModuleFault{"PotentiostatAcq", SimPotentiostatAcquisition, 0, {}, 1},
                      ModuleFault{"TimerAbsent", SimTimer, 0, {}, 2},
                      ModuleFault{"TimerNotCounting", 0, 0x84, {0, 0}, 2},
                      ModuleFault{"TimerNotClearing", 0, 0x84, {3, 9}, 2},
                      ModuleFault{"SimTimerNotCounting", 0, 0, {}, 2, SimTimerNotCounting},
                      ModuleFault{"SimTimerNotClearing", 0, 0, {}, 2, SimTimerNotClearing},
                      ModuleFault{"Valves", SimValves, 0, {}, 3},
                      ModuleFault{"Pump", SimPump, 0, {}, 4}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(DeviceTest, PotentiostatIdentityBitZeroIsIgnoredAndSpanBoardReadOnlyAfterIt) {
    sim.scriptRead(0x74, {0xA7});
    EXPECT_TRUE(dev.TestModules().Potentiostat);
    sim.scriptRead(0x74, {0xA5});
    sim.clearRecord();
    EXPECT_FALSE(dev.TestModules().Potentiostat);
    for (std::size_t i = 0; i + 1 < sim.portAccesses().size(); ++i)
        EXPECT_NE(sim.portAccesses()[i], (PortAccess{true, 0x378, 0x96}));
}

TEST_F(DeviceTest, SimulatedPotentiostatOfEitherIdentityAnswersAndAForeignOneDoesNot) {
    for (std::uint8_t identity : {0xA6, 0xA7, 0xA5, 0x26}) {
        SimOptions o = testSimOptions();
        o.potentiostatIdentity = identity;
        SimulatedInstrument board(o);
        TDevice onBoard(board);
        const bool ours = identity == 0xA6 || identity == 0xA7;
        EXPECT_EQ(onBoard.TestModules().Potentiostat, ours) << int(identity);
        const auto ops = registerOps(board.portAccesses());
        EXPECT_EQ(std::count(ops.begin(), ops.end(), "R 96"), ours ? 1 : 0)
            << "the acquisition board is asked only after the potentiostat, " << int(identity);
    }
}

TEST_F(DeviceTest, SimulatedTimerFaultsFailTheirOwnStep) {
    // Not counting: cleared to 0, then still 0 after the ten starts.
    SimOptions o = testSimOptions();
    o.faults = SimTimerNotCounting;
    SimulatedInstrument stuck(o);
    TDevice onStuck(stuck);
    onStuck.TestModules();
    auto reads84 = [](const SimulatedInstrument& s) {
        std::vector<std::uint8_t> values;
        std::uint8_t latched = 0;
        for (const PortAccess& a : s.portAccesses()) {
            if (a.write && a.port == 0x378) latched = a.value;
            if (!a.write && a.port == 0x378 && latched == 0x84) values.push_back(a.value);
        }
        return values;
    };
    EXPECT_EQ(reads84(stuck), (std::vector<std::uint8_t>{0, 0}));

    // Not clearing: the first read already shows the count it could not clear, and it counts.
    o.faults = SimTimerNotClearing;
    SimulatedInstrument uncleared(o);
    TDevice onUncleared(uncleared);
    EXPECT_FALSE(onUncleared.TestModules().ProgrammableTimer);
    const auto values = reads84(uncleared);
    ASSERT_EQ(values.size(), 2u);
    EXPECT_NE(values[0], 0);
    EXPECT_NE(values[1], values[0]) << "it does count";
}

TEST_F(DeviceTest, ConversionAndOverRangeFaultsLeaveTheIdentitiesIntact) {
    SimOptions o = testSimOptions();
    o.faults = SimConversionNotFinishing | SimPmtOverRange;
    SimulatedInstrument faulty(o);
    TDevice onFaulty(faulty);
    EXPECT_TRUE(onFaulty.DeviceTest()) << "the modules answer; their readings are wrong";
    calibrateNeutrally(onFaulty);
    onFaulty.PMTOn(100, 1e-7);
    EXPECT_DOUBLE_EQ(onFaulty.PMTGetCurrent(), 4095 * 4.883e-11);
    onFaulty.EcellOn(true, 1e-9, 0.5);
    faulty.clearRecord();
    onFaulty.EcellGetCurrent();
    const auto ops = registerOps(faulty.portAccesses());
    EXPECT_EQ(std::count(ops.begin(), ops.end(), "R 95"), 100);
}

TEST_F(DeviceTest, LineTexts) {
    DeviceTestResults r;
    r.ProgrammableTimer = true;
    const auto lines = deviceTestLines(r);
    EXPECT_EQ(lines[0].module, "PMT detector");
    EXPECT_EQ(lines[1].module, "Potentiostat");
    EXPECT_EQ(lines[2].module, "Programmable timer");
    EXPECT_EQ(lines[2].result, "OK");
    EXPECT_EQ(lines[3].module, "Valve controller");
    EXPECT_EQ(lines[4].module, "Pump controller");
    EXPECT_EQ(lines[4].result, "not ready");
}

// ---- The driver's state and the bus lock ----

// Holds an operation at its first port write until released, so a test can see what
// another thread may do while that operation owns the bus.
class GatedBus final : public PortBackend {
public:
    explicit GatedBus(PortBackend& inner) : inner_(inner) {}
    int openPort() override { return inner_.openPort(); }
    void closePort() override { inner_.closePort(); }
    void writePort(std::uint16_t port, std::uint8_t value) override {
        if (armed.exchange(false)) {
            entered = true;
            while (!released) std::this_thread::yield();
        }
        inner_.writePort(port, value);
    }
    std::uint8_t readPort(std::uint16_t port) override { return inner_.readPort(port); }

    std::atomic<bool> armed{false}, entered{false}, released{false};

private:
    PortBackend& inner_;
};

TEST(DriverState, EveryAccessorWaitsForTheOperationOnTheBus) {
    SimulatedInstrument sim(testSimOptions());
    GatedBus bus(sim);
    TDevice dev(bus);
    const std::array<std::string, 6> texts{"1", "2", "3", "4", "5", "6"};
    const std::pair<const char*, std::function<void()>> accessors[]{
        {"ValveState", [&] { (void)dev.ValveState(); }},
        {"PMTControl", [&] { (void)dev.PMTControl(); }},
        {"PMTAcqControl", [&] { (void)dev.PMTAcqControl(); }},
        {"EcellControl", [&] { (void)dev.EcellControl(); }},
        {"PMTRange", [&] { (void)dev.PMTRange(); }},
        {"EcellRange", [&] { (void)dev.EcellRange(); }},
        {"LastDeviceTest", [&] { (void)dev.LastDeviceTest(); }},
        {"PMTMaxVoltage", [&] { (void)dev.PMTMaxVoltage(); }},
        {"SetPMTMaxVoltage", [&] { dev.SetPMTMaxVoltage(900); }},
        {"PMTVoltageFactor", [&] { (void)dev.PMTVoltageFactor(); }},
        {"SetPMTVoltageFactor", [&] { dev.SetPMTVoltageFactor(1.05); }},
        {"CurrentZeroText", [&] { (void)dev.CurrentZeroText(); }},
        {"CurrentFactorText", [&] { (void)dev.CurrentFactorText(); }},
        {"SetCurrentZeroText", [&] { dev.SetCurrentZeroText(2, "-3"); }},
        {"SetCurrentFactorText", [&] { dev.SetCurrentFactorText(2, "1.1"); }},
        {"SetCurrentTexts", [&] { dev.SetCurrentTexts(texts, texts); }},
        {"CurrentZero", [&] { (void)dev.CurrentZero(); }},
        {"CurrentScale", [&] { (void)dev.CurrentScale(); }},
    };
    for (const auto& [name, access] : accessors) {
        SCOPED_TRACE(name);
        bus.released = false;
        bus.entered = false;
        bus.armed = true;
        std::thread operation([&] { dev.SetValves(0x0123); });
        while (!bus.entered) std::this_thread::yield();
        std::atomic<bool> done{false};
        std::thread caller([&] {
            access();
            done = true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_FALSE(done) << "went past the lock of a valve switch under way";
        bus.released = true;
        operation.join();
        caller.join();
        EXPECT_TRUE(done);
    }
    EXPECT_EQ(dev.ValveState(), 0x0123);
    EXPECT_EQ(sim.valveMask(), 0x0123);
}

} // namespace
} // namespace varentis::test
