#include "SimFixture.h"

#include "hardware/BusFactory.h"
#include "hardware/FlowCell.h"

#include <algorithm>
#include <cmath>

namespace varentis::test {
namespace {

// The program's defaults: PMT voltage 100 V, signal axis 0 .. 100 nA, calibration neutral.
class LightModel : public SimFixture {
protected:
    LightModel() {
        dev.SetPMTMaxVoltage(1000);
        dev.SetPMTVoltageFactor(1.0);
        dev.SetCurrentTexts({"0", "0", "0", "0", "0", "0"},
                            {"1.0000", "1.0000", "1.0000", "1.0000", "1.0000", "1.0000"});
        dev.PMTCalculateCFactors();
    }

    // Mean of the readings over `seconds`, sampled every 50 ms.
    double meanOver(double seconds) {
        double sum = 0;
        int n = 0;
        for (double t = 0; t < seconds; t += 0.05, ++n) {
            sum += dev.PMTGetCurrent();
            sim.advanceSeconds(0.05);
        }
        return sum / n;
    }

    // The cell on with its working electrode at `volts`: the sample plugs give their light.
    void electrodeAt(double volts) { dev.EcellOn(true, 1e-6, volts); }

    // Highest reading above the baseline while a plug injected now passes the detector.
    double peakAboveBaseline() {
        dev.PumpRun(100);
        const double baseline = meanOver(1.0);
        dev.SetValves(0x0001);
        const auto t = trace(sim.flowCell().transportDelay(255, 1) + 8.0);
        dev.SetValves(0);
        return *std::max_element(t.begin(), t.end()) - baseline;
    }

    // Readings every 100 ms for `seconds`: the signal trace.
    std::vector<double> trace(double seconds) {
        std::vector<double> out;
        for (double t = 0; t < seconds; t += 0.1) {
            out.push_back(dev.PMTGetCurrent());
            sim.advanceSeconds(0.1);
        }
        return out;
    }
};

TEST_F(LightModel, DefaultSettingsGiveABaselineInsideTheSignalAxis) {
    dev.PMTOn(100, 1e-7);
    EXPECT_EQ(dev.PMTRange(), 4);
    const double baseline = meanOver(2.0);
    EXPECT_GT(baseline, 10e-9);
    EXPECT_LT(baseline, 30e-9);
    // Seeded noise: the readings vary, but stay near the baseline.
    const auto t = trace(1.0);
    const auto [lo, hi] = std::minmax_element(t.begin(), t.end());
    EXPECT_LT(*lo, *hi);
    EXPECT_GT(*lo, 0.5 * baseline);
    EXPECT_LT(*hi, 1.5 * baseline);
}

TEST_F(LightModel, GainRisesSteeplyWithVoltageAndVanishesWhenOff) {
    dev.PMTOn(100, 1e-6);
    const double at100 = meanOver(0.5);
    dev.PMTSetVoltage(150);
    const double at150 = meanOver(0.5);
    EXPECT_GT(at150, 10 * at100);
    dev.PMTOff();
    EXPECT_LT(std::fabs(meanOver(0.5)), 1e-9) << "no light signal with the high voltage off";
}

TEST_F(LightModel, CurrentBeyondFullScaleIsOverRange) {
    dev.PMTOn(300, 1e-8); // far above the 10 nA range
    const double reading = dev.PMTGetCurrent();
    EXPECT_DOUBLE_EQ(reading, 4095 * 4.883e-12);
}

TEST_F(LightModel, InjectionWithThePumpRunningGivesADelayedPeak) {
    dev.PMTOn(100, 1e-7);
    electrodeAt(1.2);
    dev.PumpRun(50);
    const double baseline = meanOver(1.0);
    dev.SetValves(0x0001); // V1 opens: sample in
    const double delay = sim.flowCell().transportDelay(128, 1);
    ASSERT_GT(delay, 1.0);
    ASSERT_LT(delay, 10.0);

    const auto t = trace(delay + 20.0);
    const auto top = std::max_element(t.begin(), t.end());
    const double topSeconds = 0.1 * static_cast<double>(top - t.begin());
    // Nothing before the sample arrives, a clear peak soon after, back near baseline later.
    const double beforeArrival = *std::max_element(t.begin(), t.begin() + static_cast<long>((delay - 0.5) * 10));
    EXPECT_LT(beforeArrival, baseline + 10e-9);
    EXPECT_GT(*top, baseline + 30e-9);
    EXPECT_LT(*top, 100e-9) << "the peak stays on the default axis";
    EXPECT_GT(topSeconds, delay);
    EXPECT_LT(topSeconds, delay + 2.0);
    EXPECT_LT(t.back(), baseline + 5e-9);
}

TEST_F(LightModel, FasterPumpShortensTheTransportDelay) {
    FlowCell cell;
    EXPECT_LT(cell.transportDelay(255, 1), cell.transportDelay(128, 1));
    EXPECT_LT(cell.transportDelay(0, 1), 0);
    EXPECT_LT(cell.transportDelay(255, 0), 0);
}

TEST_F(LightModel, NoPeakWithThePumpStoppedOrAtSpeedZero) {
    for (int speedPercent : {50, 0}) {
        dev.PMTOn(100, 1e-7);
        electrodeAt(1.2);
        dev.PumpRun(speedPercent);
        if (speedPercent) dev.PumpStop();
        const double baseline = meanOver(1.0);
        dev.SetValves(0x0001);
        const auto t = trace(30.0);
        EXPECT_LT(*std::max_element(t.begin(), t.end()), baseline + 10e-9) << speedPercent;
        dev.SetValves(0);
    }
}

TEST_F(LightModel, StartingThePumpLaterStillDeliversTheSample) {
    dev.PMTOn(100, 1e-7);
    electrodeAt(1.2);
    const double baseline = meanOver(1.0);
    dev.SetValves(0x0001);
    sim.advanceSeconds(10);
    dev.PumpRun(100);
    const auto t = trace(10.0);
    EXPECT_GT(*std::max_element(t.begin(), t.end()), baseline + 30e-9);
}

TEST_F(LightModel, PlugsGlowOnlyAtAnOxidisingPotential) {
    dev.PMTOn(100, 1e-7);
    const double cellOff = peakAboveBaseline();
    std::vector<double> peaks;
    for (double volts : {0.0, 0.6, 0.8, 0.9, 1.0, 1.2}) {
        electrodeAt(volts);
        peaks.push_back(peakAboveBaseline());
    }
    EXPECT_LT(cellOff, 3e-9) << "a cell that is off gives no light";
    EXPECT_LT(peaks[0], 3e-9) << "0 V";
    EXPECT_LT(peaks[1], 3e-9) << "0.6 V";
    EXPECT_LT(peaks[2], 0.15 * peaks[5]) << "0.8 V: only the beginning";
    EXPECT_GT(peaks[3], 0.3 * peaks[5]) << "0.9 V";
    EXPECT_GT(peaks[4], 0.8 * peaks[5]) << "1.0 V";
    EXPECT_GT(peaks[5], 40e-9) << "1.2 V: the full peak";
    EXPECT_LT(peaks[5], 84e-9) << "the peak stays on the default axis";

    // Switched off, the cell stops giving light at once, whatever its potential.
    dev.EcellOff();
    EXPECT_LT(peakAboveBaseline(), 3e-9);
}

// Mean of `n` cell-current readings.
double meanCellCurrent(TDevice& dev, int n = 50) {
    double sum = 0;
    for (int i = 0; i < n; ++i) sum += dev.EcellGetCurrent();
    return sum / n;
}

TEST_F(LightModel, CellCurrentRisesSteeplyWithThePotentialAndIsClippedByTheRange) {
    const double expected[]{sim.flowCell().cellCurrent(-0.3), sim.flowCell().cellCurrent(0.0),
                            sim.flowCell().cellCurrent(0.4), sim.flowCell().cellCurrent(0.6)};
    EXPECT_LT(expected[0], 0.0);
    EXPECT_EQ(expected[1], 0.0);
    EXPECT_GT(expected[3], 4 * expected[2]) << "steep";
    const double volts[]{-0.3, 0.0, 0.4, 0.6};
    for (int i = 0; i < 4; ++i) {
        dev.EcellOn(true, 1e-8, volts[i]);
        EXPECT_NEAR(meanCellCurrent(dev), expected[i], 0.02 * std::fabs(expected[i]) + 0.5 * EcellScale[5])
            << volts[i] << " V";
    }
    // Far beyond the 1 nA range the converter stops at its end: (2048 − 0) counts.
    dev.EcellOn(true, 1e-9, 1.0);
    EXPECT_DOUBLE_EQ(dev.EcellGetCurrent(), 2048 * EcellScale[6]);
    dev.EcellOn(true, 1e-9, -1.0);
    EXPECT_DOUBLE_EQ(dev.EcellGetCurrent(), (2048 - 4095) * EcellScale[6]);
    // Off, the cell draws nothing: only the amplifier's noise of a fraction of a count.
    dev.EcellOff();
    EXPECT_NEAR(meanCellCurrent(dev), 0.0, 0.2 * EcellScale[6]);
}

TEST(FlowCellModel, PeakTimingDoesNotDependOnSampling) {
    // Arrival is placed inside the step, so a coarse and a fine sampler see the same light.
    FlowCell coarse, fine;
    for (FlowCell* c : {&coarse, &fine}) {
        c->setElectrode(true, 1.2);
        c->setPump(0, 255, 1);
        c->inject(0);
    }
    for (double t = 0; t <= 4.0; t += 0.001) fine.light(t);
    coarse.light(3.0);
    EXPECT_NEAR(coarse.light(4.0), fine.light(4.0), 1e-15);
}

TEST(SimRecord, OffByDefaultAndBounded) {
    SimOptions o = testSimOptions();
    o.recordLimit = 0;
    SimulatedInstrument quiet(o);
    TDevice dev(quiet);
    dev.SetPort(0x80, 1);
    EXPECT_TRUE(quiet.portAccesses().empty());
    EXPECT_TRUE(quiet.registerWrites().empty());
    EXPECT_EQ(quiet.pumpSpeed(), 1);

    quiet.setRecordLimit(10);
    for (int i = 0; i < 5; ++i) dev.SetPort(0x80, 2);
    EXPECT_EQ(quiet.portAccesses().size(), 10u);
    EXPECT_EQ(quiet.registerWrites().size(), 5u);
}

TEST(SimClockModes, VirtualAdvancesPerAccessAndSpeedScalesRealTime) {
    SimClock virt(SimClockMode::Virtual);
    virt.tick();
    virt.tick();
    EXPECT_EQ(virt.now(), 2 * SimClock::kAccessNanoseconds);

    // Paced real time: a thousand accesses take at least a millisecond of wall time.
    SimClock paced(SimClockMode::RealTime);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 1000; ++i) paced.tick();
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::microseconds(1000));

    // Slowed down, each access still lasts a microsecond of model time.
    SimClock slow(SimClockMode::RealTime, 0.25);
    const std::int64_t first = slow.tick();
    for (int i = 0; i < 100; ++i) slow.tick();
    EXPECT_GE(slow.now() - first, 100 * SimClock::kAccessNanoseconds);

    SimClock fast(SimClockMode::Unpaced, 50.0);
    SimClock normal(SimClockMode::Unpaced, 1.0);
    const auto wait = std::chrono::steady_clock::now() + std::chrono::milliseconds(2);
    while (std::chrono::steady_clock::now() < wait) {
    }
    EXPECT_GT(fast.now(), 20 * normal.now());
}

} // namespace
} // namespace varentis::test

namespace varentis::test {
namespace {

// The program's own configuration: the factory's simulator on the paced real-time clock.
TEST(SimAsTheProgramUsesIt, DeviceTestPassesAtNormalAndChangedSpeed) {
    for (double speed : {1.0, 0.2, 20.0}) {
        SimOptions o;
        o.speed = speed;
        auto bus = makePortBackend("sim", o, nullptr);
        TDevice dev(*bus);
        EXPECT_TRUE(dev.DeviceTest()) << speed;
    }
}

} // namespace
} // namespace varentis::test
