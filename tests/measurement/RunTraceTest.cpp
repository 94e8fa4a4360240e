// The bus traffic of a whole run, register write by register write, against recorded
// fixtures: start, three ticks, pause, a tick in the pause, resume, the ticks of a cycle
// wrap, and stop. Any change in what reaches the instrument, or in its order, shows here.
#include "measurement/RunControl.h"
#include "measurement/PumpProgram.h"
#include "measurement/ValveProgram.h"

#include "hardware/BusTrace.h"
#include "hardware/SimFixture.h"
#include "measurement/PotentialProgram.h"

#include <gtest/gtest.h>

#include <string>

using namespace varentis;
using namespace varentis::test;

namespace {

// The window's side: the points are counted, nothing else matters to the bus.
class CountingView : public RunView {
public:
    void runStateChanged(RunState) override {}
    void pointTaken(const RunPoint&) override { ++points; }
    void liveSignal(const std::string&, double) override {}
    void valvesApplied(std::uint16_t) override {}
    int points = 0;
};

SimOptions recordingSim() {
    SimOptions o = testSimOptions();
    o.recordLimit = 2'000'000;
    return o;
}

class RunTraceTest : public SimFixture {
protected:
    RunTraceTest() : SimFixture(recordingSim()), run(dev, view) {
        calibrateNeutrally(dev);
        run.WallClock = [this] { return sim.modelSeconds(); };
        options.PMTVoltage = 650.0;
        options.Period = 0.1;
        options.CycleTime = 0.5;
        auto programs = std::make_shared<RunPrograms>();
        programs->Valves.SwitchTimes = {0.0, 0.12, 0.3, 0.5};
        programs->Valves.Masks = {0x001, 0x802, 0x040, 0x000};
        programs->Valves.StopMask = 0x004;
        programs->Valves.PauseMask = 0x010;
        programs->Pump.StepCount = 2;
        programs->Pump.EndTimes = {0.15, 0.5};
        programs->Pump.Speeds = {50.0, -20.0};
        programs->Potential = parsePotentialProgram("700(0.2),-300(0.2),0", 0.5);
        options.Programs = programs;
    }

    // The accesses since the last phase, described; the record starts afresh.
    void phase(const std::string& name) {
        text += describePhase(name, sim.portAccesses());
        text += "points " + std::to_string(view.points) + "\n";
        sim.clearRecord();
    }
    void tick(const std::string& name) {
        run.tick();
        phase(name);
        sim.advanceSeconds(0.005);
    }

    void session();

    CountingView view;
    RunOptions options;
    RunControl run;
    std::string text;
};

// Start, three ticks, pause, a tick in the pause, resume, the two ticks of a cycle wrap, stop.
void RunTraceTest::session() {
    text.clear();
    view.points = 0;
    sim.clearRecord();

    run.start(options, PointSizing::forRun(runCapacity(options.Scale.XMax, options.Period),
                                           options.UsingPotentiostat));
    ASSERT_EQ(run.State, RunState::Running);
    phase("start");
    sim.advanceSeconds(0.110);
    tick("tick 1");
    tick("tick 2");
    tick("tick 3");
    run.pause();
    phase("pause");
    tick("tick in the pause");
    sim.advanceSeconds(1.0);
    run.resume(options);
    phase("resume");
    tick("tick 4");
    tick("tick 5");
    ASSERT_EQ(run.CycleCount, 1u) << "the cycle wrapped in tick 5";
    run.stop();
    phase("stop");
}

TEST_F(RunTraceTest, StartTicksPauseResumeWrapAndStopReachTheBusAsRecorded) {
    for (bool detectorOff : {false, true}) {
        SCOPED_TRACE(detectorOff ? "detector off during pause" : "detector on during pause");
        options.DetectorOffDuringPause = detectorOff;
        session();

        EXPECT_TRUE(matchesTraceFile(text, std::string(VARENTIS_TEST_DATA) + "/traces/run_" +
                                               (detectorOff ? "detector_off" : "detector_on") +
                                               ".txt"));
    }
}

// The same session driven by programs as the operator types them: valves with a shared
// switching time, a group, a valve open from the start, the stop and pause states, and a
// pump program with a reverse step.
TEST_F(RunTraceTest, TypedProgramsReachTheBusAsRecorded) {
    auto programs = std::make_shared<RunPrograms>();
    const ValveProgram valves =
        parseValveProgram("V1=0.12,0.18,SA\nV12=0,0.3,PA\nV6=2*(0.06,0.06)", options.CycleTime);
    ASSERT_EQ(valves.Schedule.SwitchTimes,
              (std::vector<double>{0, 0.06, 0.12, 0.18, 0.24, 0.3, 0.5}));
    programs->Valves = valves.Schedule;
    programs->Pump = parsePumpProgram("50(0.15),-20(0.1),100", options.CycleTime);
    options.Programs = programs;
    session();
    EXPECT_TRUE(
        matchesTraceFile(text, std::string(VARENTIS_TEST_DATA) + "/traces/run_programs.txt"));
}

} // namespace
