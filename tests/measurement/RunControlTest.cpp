#include "measurement/RunControl.h"

#include "core/NumberText.h"
#include "hardware/SimFixture.h"
#include "measurement/PotentialProgram.h"
#include "measurement/PumpProgram.h"
#include "measurement/ValveProgram.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace varentis;

namespace {

// What the window would show, recorded; the points go into a store as the window's do.
class FakeView : public RunView {
public:
    RunState shown = RunState::Stopped;
    int stateReports = 0;
    PointStore store;
    std::vector<std::uint16_t> valveMasks;
    std::vector<double> drawnTimes, drawnCurrents;
    std::vector<PointReadout> readouts;
    std::string liveText;
    std::string panel9 = "untouched";

    void runStateChanged(RunState s) override {
        shown = s;
        ++stateReports;
    }
    void pointTaken(const RunPoint& p) override {
        store.appendPoint(p.Time, p.Signal, p.CurrentStored, p.Current);
        store.Capacity = p.Capacity;
        store.CurrentsLength = p.CurrentsLength;
        readouts.push_back(p.Readout);
        if (!p.Readout.potentiostat.empty()) panel9 = p.Readout.potentiostat;
        drawnTimes.push_back(p.Time);
        drawnCurrents.push_back(p.Current);
    }
    void liveSignal(const std::string& text, double) override { liveText = text; }
    void valvesApplied(std::uint16_t mask) override { valveMasks.push_back(mask); }
};

// The hardware tests' simulator, without their access record: runs here are long.
SimOptions virtualSim() {
    SimOptions o = test::testSimOptions();
    o.recordLimit = 0;
    return o;
}

class RunControlTest : public ::testing::Test {
protected:
    RunControlTest() : sim(virtualSim()), dev(sim), run(dev, view) {
        test::calibrateNeutrally(dev);
        // The run's own busy-loop bound follows model time, so ticks are deterministic.
        run.WallClock = [this] { return sim.modelSeconds(); };
        options.UsingPotentiostat = false;
    }

    RunPrograms& programs() {
        if (!editable) {
            editable = std::make_shared<RunPrograms>();
            options.Programs = editable;
        }
        return *editable;
    }
    // One acquisition tick, then the 5 ms until the next one.
    void tick() {
        run.tick();
        sim.advanceSeconds(0.005);
    }
    void ticksUntil(double nextPointTime, int limit = 100000) {
        for (int i = 0; i < limit && run.State == RunState::Running &&
                        run.NextPointTime < nextPointTime;
             ++i)
            tick();
    }
    // A new run as the window starts it: the store sized from the time axis, then the
    // command with the options.
    void begin() {
        const PointSizing sizing = PointSizing::forRun(
            runCapacity(options.Scale.XMax, options.Period), options.UsingPotentiostat);
        view.store.startRun(sizing);
        run.start(options, sizing);
    }
    void start(double period, double cycle) {
        options.Period = period;
        options.CycleTime = cycle;
        begin();
        ASSERT_EQ(run.State, RunState::Running);
        sim.advanceSeconds(0.110); // the first tick comes 110 ms after Run
    }

    SimulatedInstrument sim;
    TDevice dev;
    FakeView view;
    RunOptions options;
    std::shared_ptr<RunPrograms> editable;
    RunControl run;
    PointStore& store = view.store;
};

TEST_F(RunControlTest, StateMachineFollowsRunPauseStop) {
    run.stop();
    run.pause();
    run.resume(options);
    EXPECT_EQ(run.State, RunState::Stopped);
    EXPECT_EQ(view.stateReports, 0) << "Stop, Pause and resume while stopped do nothing";
    EXPECT_FALSE(run.TimerEnabled);

    begin();
    EXPECT_EQ(run.State, RunState::Running);
    EXPECT_EQ(view.shown, RunState::Running);
    EXPECT_TRUE(run.TimerEnabled);
    EXPECT_EQ(sim.pmtControl() & 0x08, 0x08) << "detector switched on";
    EXPECT_TRUE(sim.timerRunning());
    begin();
    EXPECT_EQ(view.stateReports, 1) << "a run in progress is not started again";

    run.pause();
    EXPECT_EQ(run.State, RunState::Paused);
    EXPECT_EQ(view.shown, RunState::Paused);
    EXPECT_FALSE(sim.timerRunning());
    EXPECT_TRUE(run.TimerEnabled) << "the acquisition timer keeps running in a pause";

    run.resume(options);
    EXPECT_EQ(run.State, RunState::Running);
    EXPECT_TRUE(sim.timerRunning());

    run.stop();
    EXPECT_EQ(run.State, RunState::Stopped);
    EXPECT_EQ(view.shown, RunState::Stopped);
    EXPECT_FALSE(run.TimerEnabled);
    EXPECT_EQ(sim.pmtControl(), 0) << "detector off";
    EXPECT_EQ(sim.pumpDirection(), 0) << "pump stopped";
    const int reports = view.stateReports;
    run.tick();
    EXPECT_EQ(view.stateReports, reports) << "a stopped run's timer does nothing";
}

TEST_F(RunControlTest, CapacityRule) {
    EXPECT_EQ(runCapacity(100.0, 0.1), 1000);
    EXPECT_EQ(runCapacity(0.04, 0.1), 1);
    EXPECT_EQ(runCapacity(2.5, 1.0), 2); // halves round to the even integer
    EXPECT_EQ(runCapacity(3.5, 1.0), 4);
    EXPECT_EQ(runCapacity(0.5, 1.0), 1); // 0 is raised to 1

    options.Scale.XMax = 100.0;
    start(0.1, 30.0);
    EXPECT_EQ(store.Capacity, 1000);
    ticksUntil(100.0 + 0.05);
    EXPECT_EQ(store.Count, 1001);
    EXPECT_EQ(store.Capacity, 2000) << "the 1000th point grows the store";
    EXPECT_LT(store.Count, store.Capacity);
}

TEST_F(RunControlTest, OneSecondPeriodWrapsTheCycleWithThePointAtThirtySeconds) {
    programs().Valves.SwitchTimes = {0.0, 10.0, 30.0};
    programs().Valves.Masks = {0x0000, 0x0001, 0x0000};
    programs().Pump.StepCount = 2;
    programs().Pump.EndTimes = {15.0, 30.0};
    programs().Pump.Speeds = {50.0, -20.0};
    options.Scale.XMax = 100.0;
    start(1.0, 30.0);
    ticksUntil(31.0);
    ASSERT_GE(store.Count, 31);
    for (int i = 0; i < store.Count; ++i) EXPECT_DOUBLE_EQ(store.Times[i], i * 1.0);
    EXPECT_EQ(run.CycleCount, 1u);
    // The cycle restarted: step 0 of the valves applied again and the pump back at step 0.
    EXPECT_EQ(run.PumpStep, 0);
    EXPECT_EQ(sim.pumpDirection(), 1) << "first pump step runs forward again";
    ASSERT_GE(view.valveMasks.size(), 3u);
    EXPECT_EQ(view.valveMasks[0], 0x0000); // start
    EXPECT_EQ(view.valveMasks[1], 0x0001); // at 10 s
    EXPECT_EQ(view.valveMasks[2], 0x0000); // step 0 again after the wrap
    EXPECT_EQ(sim.valveMask(), 0x0000);
}

TEST_F(RunControlTest, CycleNotAMultipleOfThePeriodWrapsAtTheNextPoint) {
    options.Scale.XMax = 100.0;
    start(3.0, 10.0);
    ticksUntil(12.0);
    EXPECT_EQ(run.CycleCount, 0u) << "no wrap before the point due at 12 s";
    ticksUntil(12.5);
    EXPECT_EQ(run.CycleCount, 1u);
    EXPECT_DOUBLE_EQ(store.Times.back(), 12.0);
    EXPECT_DOUBLE_EQ(run.NextPointTime, 15.0);
    // The run time falls back to 10 s: the next point (15 s) needs 5 s more.
    ticksUntil(15.5);
    EXPECT_DOUBLE_EQ(store.Times.back(), 15.0);
    EXPECT_NEAR(dev.GetTime(), 5.0, 0.2);
}

TEST_F(RunControlTest, TickAfterACycleWrapLastsItsUsualTime) {
    // Without a bound from the computer's clock, a wrap that sets the run time back by 2 s
    // must not keep the tick busy until the time has caught up.
    run.WallClock = nullptr;
    options.Scale.XMax = 100.0;
    start(3.0, 10.0);
    ticksUntil(11.9);
    while (run.CycleCount == 0 && run.State == RunState::Running) {
        const double before = sim.modelSeconds();
        tick();
        EXPECT_LT(sim.modelSeconds() - before, 0.2);
    }
    EXPECT_EQ(run.CycleCount, 1u);
}

TEST_F(RunControlTest, MaxTimeStopEndsTheRunInTheSameTick) {
    options.MaxTimeStop = true;
    options.Scale.XMax = 100.0;
    start(1.0, 30.0);
    ticksUntil(1000.0);
    EXPECT_EQ(run.State, RunState::Stopped);
    EXPECT_EQ(store.Count, 100);
    EXPECT_DOUBLE_EQ(store.Times.back(), 99.0);
    EXPECT_FALSE(run.TimerEnabled);
    run.tick();
    EXPECT_EQ(store.Count, 100) << "no point after the stop";
    EXPECT_EQ(store.Times.capacity(), 100u) << "the stopped run keeps no spare room";
}

// "Stop if max time" stops once the next point would be due at X max: the last point kept
// is the one before it. The period and the axis come as the window forms them from what the
// operator typed (a number times its unit), so summed 0.1 s steps fall short of 100 s by a
// hair; as decimals the 1000th step reaches it.
TEST_F(RunControlTest, MaxTimeStopCountsThePointsAsDecimalsWould) {
    const struct {
        const char* xMax;
        double xUnit; // s per unit of "X units"
        const char* period;
        double periodUnit; // s per unit of "Period units"
        int points;
        double last; // s
    } cases[] = {
        {"100", 1.0, "100", 0.001, 1000, 99.9},  {"10", 1.0, "100", 0.001, 100, 9.9},
        {"1.5", 60.0, "300", 0.001, 300, 89.7},  {"0.01", 3600.0, "1.2", 1.0, 30, 34.8},
        {"3", 1.0, "0.3", 1.0, 10, 2.7},         {"10.05", 1.0, "100", 0.001, 101, 10.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("X max ") + c.xMax + ", period " + c.period);
        options.MaxTimeStop = true;
        options.Scale.XMax = readNumber(c.xMax) * c.xUnit;
        start(readNumber(c.period) * c.periodUnit, 1000.0);
        ticksUntil(1e9);
        EXPECT_EQ(run.State, RunState::Stopped);
        EXPECT_EQ(store.Count, c.points);
        EXPECT_NEAR(store.Times[static_cast<std::size_t>(store.Count - 1)], c.last, 1e-9);
    }
}

TEST_F(RunControlTest, UnattendedRunStopsAtItsMeasurementTime) {
    options.Scale.XMax = 100.0;
    options.StopAfterSeconds = 100.0; // a hundred 0.1 s steps add up to just below 100
    start(0.1, 30.0);
    ticksUntil(1000.0);
    EXPECT_EQ(run.State, RunState::Stopped);
    ASSERT_EQ(store.Count, 1000);
    EXPECT_NEAR(store.Times.back(), 99.9, 1e-9);
}

TEST_F(RunControlTest, ShortPeriodTakesSeveralPointsPerTick) {
    options.Scale.XMax = 100.0;
    start(0.01, 30.0);
    tick();
    tick();
    const int afterTwo = store.Count;
    tick();
    const int perTick = store.Count - afterTwo;
    EXPECT_GE(perTick, 9);
    EXPECT_LE(perTick, 12);
    for (int i = 0; i < store.Count; ++i) EXPECT_NEAR(store.Times[i], i * 0.01, 1e-12);
}

TEST_F(RunControlTest, PauseDoesNotCountAsMeasurementTime) {
    options.Scale.XMax = 1000.0;
    start(1.0, 30.0);
    ticksUntil(5.0);
    run.pause();
    const int before = store.Count;
    const double last = store.Times.back();
    for (int i = 0; i < 272; ++i) tick(); // ~30 s of pause
    EXPECT_EQ(store.Count, before) << "no points while paused";
    EXPECT_FALSE(view.liveText.empty()) << "live reading shown while paused";
    run.resume(options);
    ticksUntil(last + 2.0);
    ASSERT_GT(store.Count, before);
    EXPECT_DOUBLE_EQ(store.Times[before], last + 1.0);
    EXPECT_NEAR(dev.GetTime(), last + 1.0, 0.3) << "the hardware time base held during the pause";
}

TEST_F(RunControlTest, DetectorOffDuringPauseOption) {
    options.DetectorOffDuringPause = true;
    start(1.0, 30.0);
    run.pause();
    EXPECT_EQ(sim.pmtControl() & 0x08, 0);
    run.resume(options);
    EXPECT_EQ(sim.pmtControl() & 0x08, 0x08);
    options.DetectorOffDuringPause = false;
    run.setOptions(options);
    run.pause();
    EXPECT_EQ(sim.pmtControl() & 0x08, 0x08) << "without the option the detector stays on";
    run.stop();
    EXPECT_EQ(sim.pmtControl(), 0) << "Stop during a pause switches the detector off";
}

TEST_F(RunControlTest, WithoutThePotentiostatNoCurrentsAreStored) {
    options.UsingPotentiostat = false;
    start(0.1, 30.0);
    ticksUntil(1.0);
    EXPECT_TRUE(store.Currents.empty());
    EXPECT_EQ(view.panel9, "untouched");
    for (double c : view.drawnCurrents) EXPECT_EQ(c, 0.0);
}

TEST_F(RunControlTest, WithThePotentiostatCurrentsAndPanel9AreWritten) {
    options.UsingPotentiostat = true;
    programs().Potential = parsePotentialProgram("250(15),-100", 30.0);
    start(0.1, 30.0);
    ticksUntil(1.0);
    ASSERT_EQ(static_cast<int>(store.Currents.size()), store.Count);
    // The cell current at 250 mV, on the 1 nA range that the ±2 pA axis selects.
    const double expected = sim.flowCell().cellCurrent(0.25);
    ASSERT_GT(expected, 50e-12);
    for (int i = 1; i < store.Count; ++i)
        EXPECT_NEAR(store.Currents[i], expected, 0.05 * expected) << "point " << i;
    EXPECT_EQ(view.drawnCurrents.back(), store.Currents[store.Count - 1]);
    EXPECT_EQ(view.panel9, " Potentiostat: 250 mV, " +
                               text(store.Currents[store.Count - 1] / 1e-12, 3) + " pA");
}

// The potential codes written to the converter, in order: 0x94 then 0x95 make one code.
std::vector<int> potentialCodes(const std::vector<RegisterWrite>& writes) {
    std::vector<int> codes;
    int high = -1;
    for (const RegisterWrite& w : writes) {
        if (w.address == 0x94) high = w.value;
        if (w.address == 0x95 && high >= 0) {
            codes.push_back(high * 256 + w.value);
            high = -1;
        }
    }
    return codes;
}

TEST_F(RunControlTest, PotentialProgramStepsAtThePointsOfEveryCycle) {
    options.UsingPotentiostat = true;
    programs().Potential = parsePotentialProgram("500(10),-200(5),0", 30.0);
    sim.setRecordLimit(10'000'000);
    start(1.0, 30.0);
    ticksUntil(33.0);
    ASSERT_GE(store.Count, 33);
    const std::vector<int> codes = potentialCodes(sim.registerWrites());
    // One code when the cell is switched on, then one at every point.
    ASSERT_EQ(codes.size(), static_cast<std::size_t>(store.Count) + 1);
    EXPECT_EQ(codes[0], 2560);
    for (int k = 0; k < 33; ++k) {
        const int expected = k % 30 < 10 ? 2560 : k % 30 < 15 ? 1843 : 2048;
        EXPECT_EQ(codes[static_cast<std::size_t>(k) + 1], expected) << "point at " << k << " s";
    }
    EXPECT_EQ(view.readouts[12].potentiostat.substr(0, 23), " Potentiostat: -200 mV,");
    EXPECT_EQ(view.readouts[31].potentiostat.substr(0, 22), " Potentiostat: 500 mV,");
}

TEST_F(RunControlTest, CellIsSwitchedOnAfterTheTimerAndOffAfterTheDetector) {
    options.UsingPotentiostat = true;
    options.ThreeElectrodes = true;
    options.UsingValves = false;
    options.UsingPump = false;
    options.Scale.CurrentRangeMagnitude = 100 * 1e-9; // a ±100 nA axis: range 4
    programs().Potential = parsePotentialProgram("-300(5),900", 30.0);
    sim.setRecordLimit(10'000'000);
    begin();
    std::vector<RegisterWrite> w = sim.registerWrites();
    ASSERT_GE(w.size(), 7u);
    const std::vector<RegisterWrite> tail(w.end() - 7, w.end());
    EXPECT_EQ(tail, (std::vector<RegisterWrite>{{0x85, 0}, {0x86, 0}, {0x74, 0x87}, {0x96, 10},
                                                {0x94, 0x06}, {0x95, 0xCD}, {0x74, 0x87}}));
    sim.advanceSeconds(0.11);
    tick();
    sim.clearRecord();
    run.stop();
    EXPECT_EQ(sim.registerWrites(),
              (std::vector<RegisterWrite>{{0xA2, 0}, {0x74, 0}, {0x81, 0}}));
    EXPECT_FALSE(sim.ecellCellOn());
}

TEST_F(RunControlTest, EveryPassReadsTheCellCurrentOnce) {
    options.UsingPotentiostat = true;
    start(0.1, 30.0);
    sim.setRecordLimit(10'000'000);
    tick();
    int passes = 0, conversions = 0;
    for (const RegisterWrite& w : sim.registerWrites()) conversions += w.address == 0x97;
    std::uint8_t latched = 0;
    for (const PortAccess& a : sim.portAccesses()) {
        if (a.write && a.port == 0x378) latched = a.value;
        if (!a.write && a.port == 0x378 && latched == 0x91) ++passes;
    }
    EXPECT_GT(passes, 100);
    EXPECT_EQ(conversions, passes);
}

TEST_F(RunControlTest, UntickedPotentiostatIsNeverAddressed) {
    options.UsingPotentiostat = false;
    sim.setRecordLimit(10'000'000);
    start(0.1, 30.0);
    ticksUntil(2.0);
    run.pause();
    run.resume(options);
    run.stop();
    std::uint8_t latched = 0;
    int potentiostatAccesses = 0;
    for (const PortAccess& a : sim.portAccesses()) {
        if (a.write && a.port == 0x37A && a.value == 0x0C) {
            const bool potentiostat = latched == 0x74 || (latched >= 0x94 && latched <= 0x97);
            potentiostatAccesses += potentiostat;
        }
        if (a.write && a.port == 0x378) latched = a.value;
    }
    EXPECT_EQ(potentiostatAccesses, 0);
    EXPECT_EQ(view.panel9, "untouched");
}

TEST_F(RunControlTest, CellSwitchedOnAtTheStartIsSwitchedOffAtStopAlsoWhenUntickedMeanwhile) {
    options.UsingPotentiostat = true;
    start(0.1, 30.0);
    ticksUntil(0.5);
    ASSERT_TRUE(sim.ecellCellOn());
    options.UsingPotentiostat = false;
    run.setOptions(options);
    ticksUntil(1.0);
    sim.setRecordLimit(1000);
    run.stop();
    EXPECT_FALSE(sim.ecellCellOn());
    EXPECT_EQ(sim.registerWrites()[1], (RegisterWrite{0x74, 0}));
}

TEST_F(RunControlTest, ReadoutsUseTheScaleAndUnits) {
    options.Scale.XUnitFactor = 60.0;
    options.Scale.XDecimals = 3;
    options.Scale.XUnitName = "min";
    start(1.5, 30.0);
    ticksUntil(3.0);
    ASSERT_GE(view.readouts.size(), 2u);
    EXPECT_EQ(view.readouts[0].time, "0.000 min");
    EXPECT_EQ(view.readouts[1].time, "0.025 min");
    EXPECT_EQ(view.readouts[0].number, "0");
    EXPECT_EQ(view.readouts[1].number, "1");
    // The signal read-out is the mean with the zero line removed, in the signal unit.
    const std::string& s = view.readouts[1].signal;
    EXPECT_EQ(s.substr(s.size() - 3), " nA");
}

TEST_F(RunControlTest, DefaultSettingsGiveASignalInsideTheAxis) {
    options.Scale.XMax = 100.0;
    start(0.1, 30.0);
    ticksUntil(2.0);
    ASSERT_GT(store.Count, 10);
    for (int i = 0; i < store.Count; ++i) {
        EXPECT_GT(store.Signals[i], 0.0);
        EXPECT_LT(store.Signals[i], 100e-9);
    }
}

TEST_F(RunControlTest, TickEndsWhenTheTimerModuleIsMissing) {
    SimOptions o = virtualSim();
    o.absentModules = SimTimer;
    SimulatedInstrument noTimer(o);
    TDevice noTimerDevice(noTimer);
    RunControl stuck(noTimerDevice, view);
    stuck.WallClock = [&noTimer] { return noTimer.modelSeconds(); };
    stuck.start(options, PointSizing::forRun(1000, false));
    const double before = noTimer.modelSeconds();
    stuck.tick(); // must return although the time never advances
    EXPECT_LT(noTimer.modelSeconds() - before, 1.0);
    stuck.stop();
}

TEST_F(RunControlTest, AWaitingCommandEndsTheTickAfterItsPass) {
    std::atomic<bool> waiting{false};
    run.CommandWaiting = &waiting;
    start(0.1, 30.0);
    tick();
    const double full = sim.modelSeconds();
    tick();
    const double fullTick = sim.modelSeconds() - full;
    EXPECT_GT(fullTick, 0.1);
    waiting = true;
    const double before = sim.modelSeconds();
    run.tick();
    EXPECT_LT(sim.modelSeconds() - before, 0.001) << "one pass, not the whole tick";
    waiting = false;
    run.stop();
}

// A faulty instrument makes wrong readings, never a run that hangs: every tick ends within
// its time bounds, points keep coming where the time allows, and Stop switches off.
class FaultyInstrumentRun : public ::testing::TestWithParam<unsigned> {};

TEST_P(FaultyInstrumentRun, TicksEndAndStopSwitchesOff) {
    SimOptions o = virtualSim();
    o.faults = GetParam();
    SimulatedInstrument faulty(o);
    TDevice device(faulty);
    FakeView view;
    RunControl run(device, view);
    run.WallClock = [&faulty] { return faulty.modelSeconds(); };
    RunOptions options;
    options.Programs = std::make_shared<RunPrograms>(
        RunPrograms{{}, {}, parsePotentialProgram("1000(1),0", 2.0)});
    options.CycleTime = 2.0;
    options.Scale.XMax = 10.0;
    const PointSizing sizing = PointSizing::forRun(100, true);
    view.store.startRun(sizing);
    faulty.advanceSeconds(5.0); // a timer that cannot be cleared has counted meanwhile
    run.start(options, sizing);
    for (int i = 0; i < 40; ++i) {
        const double before = faulty.modelSeconds();
        run.tick();
        EXPECT_LT(faulty.modelSeconds() - before, RunControl::kTickWallLimitSeconds + 0.01);
        faulty.advanceSeconds(0.005);
    }
    EXPECT_GE(view.store.Count, 1);
    EXPECT_TRUE(faulty.ecellCellOn());
    run.stop();
    EXPECT_EQ(run.State, RunState::Stopped);
    EXPECT_FALSE(faulty.ecellCellOn());
    EXPECT_EQ(faulty.pmtControl(), 0);
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultyInstrumentRun,
                         ::testing::Values(SimTimerNotCounting, SimTimerNotClearing,
                                           SimConversionNotFinishing, SimPmtOverRange),
                         [](const auto& param) {
                             switch (param.param) {
                             case SimTimerNotCounting: return std::string("TimerNotCounting");
                             case SimTimerNotClearing: return std::string("TimerNotClearing");
                             case SimConversionNotFinishing: return std::string("ConversionNotFinishing");
                             default: return std::string("PmtOverRange");
                             }
                         });

// A redraw during the run hands over programs parsed anew; the step indices go on, and a
// program with fewer steps than the index runs its last step.
TEST_F(RunControlTest, ProgramsEditedDuringARunKeepTheirStepIndices) {
    programs().Pump = parsePumpProgram("100(0.05),50(0.05),-50(0.05),20", 0.5);
    programs().Valves = parseValveProgram("V1=0.05\nV2=0.1\nV3=0.15", 0.5).Schedule;
    start(0.1, 0.5);
    ticksUntil(0.35);
    ASSERT_EQ(run.PumpStep, 3);
    ASSERT_EQ(run.ValveStep, 4);
    EXPECT_EQ(sim.pumpSpeed(), 51); // 20 %
    EXPECT_EQ(sim.valveMask(), 0x007);

    RunOptions edited = options;
    auto shorter = std::make_shared<RunPrograms>();
    shorter->Pump = parsePumpProgram("70", 0.5); // 70 % to the cycle's end, then the stop step
    shorter->Valves = parseValveProgram("V4=0.2", 0.5).Schedule;
    edited.Programs = shorter;
    run.setOptions(edited);
    tick();
    EXPECT_EQ(run.PumpStep, 3) << "the index goes on";
    EXPECT_EQ(sim.pumpSpeed(), 0) << "the last step of the shorter program";
    EXPECT_EQ(sim.pumpDirection(), 0);
    EXPECT_EQ(sim.valveMask(), 0x007) << "no valve step is due beyond the new program's steps";

    ticksUntil(0.65); // the next cycle runs the new programs from their first step
    EXPECT_EQ(run.CycleCount, 1u);
    EXPECT_EQ(sim.pumpSpeed(), 178); // 70 %: 178.5 to the even 178
    EXPECT_EQ(sim.valveMask(), 0x000);
    run.stop();
}

} // namespace

// The timer reads exactly the time at which a point is due, a step ends or the cycle wraps:
// the point is taken at that reading and belongs to the new step (or the new cycle), as it
// does for the valves. The timer's four count bytes are held at the instant; one pass of the
// tick takes the point.
struct ExactInstant {
    const char* what;
    std::uint32_t count; // in 10 us steps
    double nextPoint;    // s
    int potentialStep;
    std::uint64_t cycles;
    double period = 1.0; // s
};
void PrintTo(const ExactInstant& c, std::ostream* os) { *os << c.what; }

class RunAtAnExactInstant : public RunControlTest,
                            public ::testing::WithParamInterface<ExactInstant> {};

TEST_P(RunAtAnExactInstant, ThePointTakenThereBelongsToTheNextStep) {
    const ExactInstant c = GetParam();
    options.UsingPotentiostat = true;
    options.Scale.XMax = 100.0;
    programs().Potential = parsePotentialProgram("500(10),-200(5),0", 30.0);
    start(c.period, 30.0);
    ticksUntil(c.nextPoint);
    ASSERT_DOUBLE_EQ(run.NextPointTime, c.nextPoint) << c.what;
    const std::uint8_t countBytes[] = {kTimerCountByte0, kTimerCountByte1, kTimerCountByte2,
                                       kTimerCountByte3};
    for (int i = 0; i < 4; ++i)
        sim.scriptRead(countBytes[i], {static_cast<std::uint8_t>(c.count >> (8 * i))});
    ASSERT_DOUBLE_EQ(dev.GetTime(), c.nextPoint) << c.what;

    std::atomic<bool> waiting{true};
    run.CommandWaiting = &waiting;
    const int before = store.Count;
    run.tick();
    for (std::uint8_t address : countBytes) sim.scriptRead(address, {});
    run.CommandWaiting = nullptr;

    ASSERT_EQ(store.Count, before + 1) << c.what;
    EXPECT_DOUBLE_EQ(store.Times.back(), c.nextPoint) << c.what;
    EXPECT_EQ(run.PotentialStep, c.potentialStep) << c.what;
    EXPECT_EQ(run.CycleCount, c.cycles) << c.what;
    run.stop();
}

INSTANTIATE_TEST_SUITE_P(
    StepEndAndCycleTime, RunAtAnExactInstant,
    ::testing::Values(ExactInstant{"the first potential step ends at 10 s", 1'000'000, 10.0, 1, 0},
                      ExactInstant{"the second potential step ends at 15 s", 1'500'000, 15.0, 2, 0},
                      ExactInstant{"the cycle ends at 30 s", 3'000'000, 30.0, 0, 1},
                      // Three periods of 0.1 s sum to a hair above the 0.3 s the timer reads.
                      ExactInstant{"the third 0.1 s point is due at 0.3 s", 30'000, 0.3, 0, 0,
                                   0.1}));
