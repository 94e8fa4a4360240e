// What each run command writes to the instrument, register by register and in order, with
// the valves and the pump in use: the start, the pause and stop masks, the valve step a
// resume puts back, and the pump step at the instant its end time is reached.
#include "measurement/RunControl.h"

#include "hardware/Registers.h"
#include "hardware/SimFixture.h"
#include "measurement/PumpProgram.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace varentis;
using namespace varentis::test;

namespace {

using Writes = std::vector<RegisterWrite>;

class QuietView : public RunView {
public:
    void runStateChanged(RunState) override {}
    void pointTaken(const RunPoint&) override {}
    void liveSignal(const std::string&, double) override {}
    void valvesApplied(std::uint16_t) override {}
};

SimOptions recordingSim() {
    SimOptions o = testSimOptions();
    o.recordLimit = 2'000'000;
    return o;
}

// The three valve registers for a mask, in the order they are written.
Writes valves(std::uint16_t mask) {
    const ValveBytes b = packValves(mask);
    return {{kValves1to4, b.valves1to4},
            {kValves5to8, b.valves5to8},
            {kValves9to12, b.valves9to12}};
}

Writes operator+(Writes a, const Writes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The detector switched on at 650 V (code 1398 = 0x576) in range 4, the range of a
// 0 .. 100 nA axis.
const Writes kPmtOn{{0x90, 8}, {0x91, 0},    {0x92, 10},  {0xA2, 4},
                    {0x90, 5}, {0x91, 0x76}, {0xA2, 0x0C}};
const Writes kPmtOff{{0xA2, 0}};
const Writes kTimerStart{{0x85, 0}};
const Writes kTimerStop{{0x84, 0}};
const Writes kTimerReset{{0x86, 0}};
const Writes kPumpAtFifty{{0x80, 128}, {0x81, 1}};
const Writes kPumpStop{{0x81, 0}};

constexpr std::uint16_t kStopMask = 0x004;  // V3
constexpr std::uint16_t kPauseMask = 0x010; // V5

class RunSequenceTest : public SimFixture {
protected:
    RunSequenceTest() : SimFixture(recordingSim()), run(dev, view) {
        calibrateNeutrally(dev);
        run.WallClock = [this] { return sim.modelSeconds(); };
        options.UsingPotentiostat = false;
        options.UsingValves = true;
        options.UsingPump = true;
        options.PMTVoltage = 650.0;
        options.Period = 0.1;
        options.CycleTime = 0.5;
        options.Scale.SignalRangeMagnitude = 100 * 1e-9;
        auto programs = std::make_shared<RunPrograms>();
        programs->Valves.SwitchTimes = {0.0, 0.12, 0.3};
        programs->Valves.Masks = {0x001, 0x802, 0x040};
        programs->Valves.StopMask = kStopMask;
        programs->Valves.PauseMask = kPauseMask;
        programs->Pump = parsePumpProgram("50(0.15),-20", options.CycleTime);
        options.Programs = programs;
    }
    const ValveSchedule& schedule() const { return options.Programs->Valves; }

    void start() {
        run.start(options, PointSizing::forRun(runCapacity(options.Scale.XMax, options.Period),
                                               false));
        ASSERT_EQ(run.State, RunState::Running);
        sim.advanceSeconds(0.110);
    }
    void tick() {
        run.tick();
        sim.advanceSeconds(0.005);
    }
    // The writes of `command` alone.
    template <class F>
    Writes writesOf(F command) {
        sim.clearRecord();
        command();
        return writes();
    }

    QuietView view;
    RunOptions options;
    RunControl run;
};

// Detector first, then the first valve step and pump speed, then the timer started and
// cleared, so that the run's time starts at 0 with the instrument already set.
TEST_F(RunSequenceTest, StartSwitchesDetectorValvesAndPumpBeforeTheTimer) {
    const Writes w = writesOf([this] { start(); });
    EXPECT_EQ(w, kPmtOn + valves(0x001) + kPumpAtFifty + kTimerStart + kTimerReset);
}

// Pause applies its own mask (not the stop mask) before it holds the timer; Stop switches
// the detector off, applies the stop mask, then stops the pump, from a run or a pause.
TEST_F(RunSequenceTest, PauseAndStopApplyTheirOwnMasksInOrder) {
    for (bool detectorOff : {false, true}) {
        for (bool pausedFirst : {false, true}) {
            SCOPED_TRACE(std::string(detectorOff ? "detector off" : "detector on") +
                         " during pause, stop " + (pausedFirst ? "from the pause" : "running"));
            options.DetectorOffDuringPause = detectorOff;
            start();
            tick();
            if (pausedFirst) {
                const Writes pause = writesOf([this] { run.pause(); });
                EXPECT_EQ(pause, (detectorOff ? kPmtOff : Writes{}) + valves(kPauseMask) +
                                     kTimerStop);
                // A paused tick only reads the detector.
                EXPECT_EQ(writesOf([this] { tick(); }), Writes{});
            }
            const Writes stop = writesOf([this] { run.stop(); });
            EXPECT_EQ(stop, kPmtOff + valves(kStopMask) + kPumpStop);
            EXPECT_EQ(run.State, RunState::Stopped);
        }
    }
}

// Resume restarts the held timer and puts back the valve step in force: the mask of the
// step last applied (ValveStep - 1), whichever step the pause fell in.
TEST_F(RunSequenceTest, ResumePutsBackTheValveStepInForce) {
    for (bool detectorOff : {false, true}) {
        for (int step = 1; step <= 3; ++step) {
            SCOPED_TRACE(std::string(detectorOff ? "detector off" : "detector on") +
                         " during pause, paused with valve step " + std::to_string(step));
            options.DetectorOffDuringPause = detectorOff;
            start();
            for (int i = 0; i < 20 && run.ValveStep < step; ++i) tick();
            ASSERT_EQ(run.ValveStep, step);
            run.pause();
            sim.advanceSeconds(2.0);
            const Writes resume = writesOf([this] { run.resume(options); });
            const std::uint16_t inForce = schedule().Masks[static_cast<std::size_t>(step - 1)];
            EXPECT_EQ(resume, kTimerStart + (detectorOff ? kPmtOn : Writes{}) + valves(inForce));
            EXPECT_EQ(sim.valveMask(), inForce);
            run.stop();
        }
    }
}

// A pump step runs up to and including its end time and the next starts after it. At a
// cycle wrap the time within the cycle is exactly 0: a first step of "50(0)" ends there,
// so the wrap's pass still runs it, and the passes after it run the next step.
TEST_F(RunSequenceTest, PumpStepAdvancesOnlyOnceItsEndTimeIsPast) {
    auto programs = std::make_shared<RunPrograms>(*options.Programs);
    programs->Pump = parsePumpProgram("50(0),-20", options.CycleTime);
    options.Programs = programs;
    start();
    Writes wrapTick;
    for (int i = 0; i < 20 && run.CycleCount == 0; ++i) wrapTick = writesOf([this] { tick(); });
    ASSERT_EQ(run.CycleCount, 1u);
    Writes pump;
    const auto reset = std::find(wrapTick.begin(), wrapTick.end(), kTimerReset[0]);
    ASSERT_NE(reset, wrapTick.end());
    for (auto w = reset; w != wrapTick.end() && pump.size() < 4; ++w)
        if (w->address == kPumpSpeed || w->address == kPumpDirection) pump.push_back(*w);
    EXPECT_EQ(pump, kPumpAtFifty + (Writes{{0x80, 51}, {0x81, 3}}))
        << "the wrap's pass runs step 0, the next pass step 1 (-20 %)";
}

} // namespace
