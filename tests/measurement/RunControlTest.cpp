#include "measurement/RunControl.h"

#include "hardware/SimFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace varentis;

namespace {

// The window side of a run, recording what the run asks of it.
class FakeHost : public RunHost {
public:
    bool devicesOk = true;
    bool unsavedAnswer = true;
    bool potentiostat = false, valves = true, pump = true, maxStop = false, detectorOff = false;
    double voltage = 100.0;
    RunScale scale;
    RunState shown = RunState::Stopped;
    int redraws = 0, timerChanges = 0, newDocuments = 0;
    bool timerOn = false;
    std::vector<std::uint16_t> valveMasks;
    std::vector<double> drawnTimes, drawnCurrents;
    std::vector<PointReadout> readouts;
    std::string liveText;
    std::string panel9 = "untouched";
    std::vector<double> potentials;
    std::function<void(FakeHost&)> onRedraw;

    bool confirmDevices() override { return devicesOk; }
    bool resolveUnsavedData() override { return unsavedAnswer; }
    bool usingPotentiostat() override { return potentiostat; }
    bool usingValves() override { return valves; }
    bool usingPump() override { return pump; }
    bool maxTimeStop() override { return maxStop; }
    bool detectorOffDuringPause() override { return detectorOff; }
    double pmtVoltage() override { return voltage; }
    bool threeElectrodes() override { return false; }
    RunScale runScale() override { return scale; }
    void showRunState(RunState s) override { shown = s; }
    void startNewDocument() override { ++newDocuments; }
    void clearReadouts() override { readouts.clear(); }
    void showPoint(const PointReadout& r, double) override {
        readouts.push_back(r);
        if (!r.potentiostat.empty()) panel9 = r.potentiostat;
    }
    void showLiveSignal(const std::string& text, double) override { liveText = text; }
    void fullRedraw() override {
        ++redraws;
        if (onRedraw) onRedraw(*this);
    }
    void resetLivePlot() override {}
    void drawPoint(double t, double, double c) override {
        drawnTimes.push_back(t);
        drawnCurrents.push_back(c);
    }
    void setValves(std::uint16_t mask) override {
        if (valves) valveMasks.push_back(mask);
    }
    void setAcquisitionTimer(bool on) override {
        timerOn = on;
        ++timerChanges;
    }
    void potentiostatOn(bool, double, double p) override { potentials.push_back(p); }
    void potentiostatSetPotential(double p) override { potentials.push_back(p); }
    void potentiostatOff() override {}
    double potentiostatCurrent() override { return 2e-12; }
};

// The hardware tests' simulator, without their access record: runs here are long.
SimOptions virtualSim() {
    SimOptions o = test::testSimOptions();
    o.recordLimit = 0;
    return o;
}

class RunControlTest : public ::testing::Test {
protected:
    RunControlTest() : sim(virtualSim()), run(dev, host, store) {
        setPortBackend(&sim);
        dev.PMTMaxVoltage = 1000;
        dev.PMTVoltageFactor = 1.0;
        for (auto& t : dev.CurrentFactorText) t = "1";
        dev.PMTCalculateCFactors();
        // The run's own busy-loop bound follows model time, so ticks are deterministic.
        run.WallClock = [this] { return sim.modelSeconds(); };
    }
    ~RunControlTest() override { setPortBackend(nullptr); }

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
    void start(double period, double cycle) {
        run.Period = period;
        run.CycleTime = cycle;
        run.run();
        ASSERT_EQ(run.State, RunState::Running);
        sim.advanceSeconds(0.110); // the first tick comes 110 ms after Run
    }

    SimulatedInstrument sim;
    TDevice dev;
    FakeHost host;
    PointStore store;
    RunControl run;
};

TEST_F(RunControlTest, StateMachineFollowsRunPauseStop) {
    run.stop();
    EXPECT_EQ(run.State, RunState::Stopped);
    EXPECT_EQ(host.timerChanges, 0) << "Stop while stopped does nothing";

    run.run();
    EXPECT_EQ(run.State, RunState::Running);
    EXPECT_EQ(host.shown, RunState::Running);
    EXPECT_TRUE(host.timerOn);
    EXPECT_EQ(host.newDocuments, 1);
    EXPECT_EQ(host.redraws, 1);
    EXPECT_EQ(sim.pmtControl() & 0x08, 0x08) << "detector switched on";
    EXPECT_TRUE(sim.timerRunning());

    run.pause();
    EXPECT_EQ(run.State, RunState::Paused);
    EXPECT_EQ(host.shown, RunState::Paused);
    EXPECT_FALSE(sim.timerRunning());
    EXPECT_TRUE(host.timerOn) << "the acquisition timer keeps running in a pause";

    run.run();
    EXPECT_EQ(run.State, RunState::Running);
    EXPECT_EQ(host.newDocuments, 1) << "resume is the same run";
    EXPECT_TRUE(sim.timerRunning());

    run.stop();
    EXPECT_EQ(run.State, RunState::Stopped);
    EXPECT_EQ(host.shown, RunState::Stopped);
    EXPECT_FALSE(host.timerOn);
    EXPECT_EQ(sim.pmtControl(), 0) << "detector off";
    EXPECT_EQ(sim.pumpDirection(), 0) << "pump stopped";
}

TEST_F(RunControlTest, FailedCheckOrCancelledQuestionChangesNothing) {
    host.devicesOk = false;
    run.run();
    EXPECT_EQ(run.State, RunState::Stopped);
    host.devicesOk = true;
    host.unsavedAnswer = false;
    store.assign({0.0, 1.0}, {1e-9, 2e-9}, {});
    run.run();
    EXPECT_EQ(run.State, RunState::Stopped);
    EXPECT_EQ(store.Count, 2) << "the unsaved points stay";
    EXPECT_EQ(host.newDocuments, 0);
    EXPECT_EQ(sim.pmtControl(), 0) << "no hardware touched";
}

TEST_F(RunControlTest, CapacityRule) {
    EXPECT_EQ(runCapacity(100.0, 0.1), 1000);
    EXPECT_EQ(runCapacity(0.04, 0.1), 1);
    EXPECT_EQ(runCapacity(2.5, 1.0), 2); // halves round to the even integer
    EXPECT_EQ(runCapacity(3.5, 1.0), 4);
    EXPECT_EQ(runCapacity(0.5, 1.0), 1); // 0 is raised to 1

    host.scale.XMax = 100.0;
    start(0.1, 30.0);
    EXPECT_EQ(store.Capacity, 1000);
    ticksUntil(100.0 + 0.05);
    EXPECT_EQ(store.Count, 1001);
    EXPECT_EQ(store.Capacity, 2000) << "the 1000th point grows the store";
    EXPECT_LT(store.Count, store.Capacity);
}

TEST_F(RunControlTest, OneSecondPeriodWrapsTheCycleWithThePointAtThirtySeconds) {
    run.Valves.SwitchTimes = {0.0, 10.0, 30.0};
    run.Valves.Masks = {0x0000, 0x0001, 0x0000};
    run.Pump.StepCount = 2;
    run.Pump.EndTimes = {15.0, 30.0};
    run.Pump.Speeds = {50.0, -20.0};
    host.scale.XMax = 100.0;
    start(1.0, 30.0);
    ticksUntil(31.0);
    ASSERT_GE(store.Count, 31);
    for (int i = 0; i < store.Count; ++i) EXPECT_DOUBLE_EQ(store.Times[i], i * 1.0);
    EXPECT_EQ(run.CycleCount, 1u);
    // The cycle restarted: step 0 of the valves applied again and the pump back at step 0.
    EXPECT_EQ(run.PumpStep, 0);
    EXPECT_EQ(sim.pumpDirection(), 1) << "first pump step runs forward again";
    ASSERT_GE(host.valveMasks.size(), 3u);
    EXPECT_EQ(host.valveMasks[0], 0x0000); // start
    EXPECT_EQ(host.valveMasks[1], 0x0001); // at 10 s
    EXPECT_EQ(host.valveMasks[2], 0x0000); // step 0 again after the wrap
    EXPECT_EQ(sim.valveMask(), 0x0000);
}

TEST_F(RunControlTest, CycleNotAMultipleOfThePeriodWrapsAtTheNextPoint) {
    host.scale.XMax = 100.0;
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
    host.scale.XMax = 100.0;
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
    host.maxStop = true;
    host.scale.XMax = 100.0;
    start(1.0, 30.0);
    ticksUntil(1000.0);
    EXPECT_EQ(run.State, RunState::Stopped);
    EXPECT_EQ(store.Count, 100);
    EXPECT_DOUBLE_EQ(store.Times.back(), 99.0);
    EXPECT_FALSE(host.timerOn);
    run.tick();
    EXPECT_EQ(store.Count, 100) << "no point after the stop";
    EXPECT_EQ(store.Times.capacity(), 100u) << "the stopped run keeps no spare room";
}

TEST_F(RunControlTest, UnattendedRunStopsAtItsMeasurementTime) {
    host.scale.XMax = 100.0;
    run.StopAfterSeconds = 100.0; // a hundred 0.1 s steps add up to just below 100
    start(0.1, 30.0);
    ticksUntil(1000.0);
    EXPECT_EQ(run.State, RunState::Stopped);
    ASSERT_EQ(store.Count, 1000);
    EXPECT_NEAR(store.Times.back(), 99.9, 1e-9);
}

TEST_F(RunControlTest, ShortPeriodTakesSeveralPointsPerTick) {
    host.scale.XMax = 100.0;
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
    host.scale.XMax = 1000.0;
    start(1.0, 30.0);
    ticksUntil(5.0);
    run.pause();
    const int before = store.Count;
    const double last = store.Times.back();
    for (int i = 0; i < 272; ++i) tick(); // ~30 s of pause
    EXPECT_EQ(store.Count, before) << "no points while paused";
    EXPECT_FALSE(host.liveText.empty()) << "live reading shown while paused";
    run.run();
    ticksUntil(last + 2.0);
    ASSERT_GT(store.Count, before);
    EXPECT_DOUBLE_EQ(store.Times[before], last + 1.0);
    EXPECT_NEAR(dev.GetTime(), last + 1.0, 0.3) << "the hardware time base held during the pause";
}

TEST_F(RunControlTest, DetectorOffDuringPauseOption) {
    host.detectorOff = true;
    start(1.0, 30.0);
    run.pause();
    EXPECT_EQ(sim.pmtControl() & 0x08, 0);
    run.run();
    EXPECT_EQ(sim.pmtControl() & 0x08, 0x08);
    host.detectorOff = false;
    run.pause();
    EXPECT_EQ(sim.pmtControl() & 0x08, 0x08) << "without the option the detector stays on";
    run.stop();
    EXPECT_EQ(sim.pmtControl(), 0) << "Stop during a pause switches the detector off";
}

TEST_F(RunControlTest, WithoutThePotentiostatNoCurrentsAreStored) {
    host.potentiostat = false;
    start(0.1, 30.0);
    ticksUntil(1.0);
    EXPECT_TRUE(store.Currents.empty());
    EXPECT_EQ(host.panel9, "untouched");
    for (double c : host.drawnCurrents) EXPECT_EQ(c, 0.0);
}

TEST_F(RunControlTest, WithThePotentiostatCurrentsAndPanel9AreWritten) {
    host.potentiostat = true;
    run.Potential.StepCount = 2;
    run.Potential.EndTimes = {15.0, 30.0};
    run.Potential.Potentials = {0.25, -0.1};
    start(0.1, 30.0);
    ticksUntil(1.0);
    ASSERT_EQ(static_cast<int>(store.Currents.size()), store.Count);
    EXPECT_NEAR(store.Currents[0], 2e-12, 1e-20);
    EXPECT_EQ(host.panel9, " Potentiostat: 250 mV, 2.000 pA");
    EXPECT_NEAR(host.drawnCurrents.back(), 2e-12, 1e-20);
}

TEST_F(RunControlTest, ReadoutsUseTheScaleAndUnits) {
    host.scale.XUnitFactor = 60.0;
    host.scale.XDecimals = 3;
    host.scale.XUnitName = "min";
    start(1.5, 30.0);
    ticksUntil(3.0);
    ASSERT_GE(host.readouts.size(), 2u);
    EXPECT_EQ(host.readouts[0].time, "0.000 min");
    EXPECT_EQ(host.readouts[1].time, "0.025 min");
    EXPECT_EQ(host.readouts[0].number, "0");
    EXPECT_EQ(host.readouts[1].number, "1");
    // The signal read-out is the mean with the zero line removed, in the signal unit.
    const std::string& s = host.readouts[1].signal;
    EXPECT_EQ(s.substr(s.size() - 3), " nA");
}

TEST_F(RunControlTest, DefaultSettingsGiveASignalInsideTheAxis) {
    host.scale.XMax = 100.0;
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
    setPortBackend(&noTimer);
    run.WallClock = [&noTimer] { return noTimer.modelSeconds(); };
    run.Period = 0.1;
    run.run();
    const double before = noTimer.modelSeconds();
    run.tick(); // must return although the time never advances
    EXPECT_LT(noTimer.modelSeconds() - before, 1.0);
    run.stop();
    setPortBackend(&sim);
}

} // namespace
