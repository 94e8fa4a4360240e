// The bus traffic of a whole run, register write by register write, against recorded
// fixtures: start, three ticks, pause, a tick in the pause, resume, the ticks of a cycle
// wrap, and stop. Any change in what reaches the instrument, or in its order, shows here.
#include "measurement/RunControl.h"

#include "hardware/BusTrace.h"
#include "hardware/SimFixture.h"

#include <gtest/gtest.h>

#include <string>

using namespace varentis;
using namespace varentis::test;

namespace {

class TraceHost : public RunHost {
public:
    bool confirmDevices() override { return true; }
    bool resolveUnsavedData() override { return true; }
    bool usingPotentiostat() override { return true; }
    bool usingValves() override { return true; }
    bool usingPump() override { return true; }
    bool maxTimeStop() override { return false; }
    bool detectorOffDuringPause() override { return detectorOff; }
    double pmtVoltage() override { return 650.0; }
    bool threeElectrodes() override { return false; }
    RunScale runScale() override { return {}; }
    void showRunState(RunState) override {}
    void startNewDocument() override {}
    void clearReadouts() override {}
    void showPoint(const PointReadout&, double) override {}
    void showLiveSignal(const std::string&, double) override {}
    void fullRedraw() override {}
    void resetLivePlot() override {}
    void drawPoint(double, double, double) override {}
    void setValves(std::uint16_t mask) override { device->SetValves(mask); }
    void setAcquisitionTimer(bool) override {}
    void potentiostatOn(bool, double, double) override {}
    void potentiostatSetPotential(double) override {}
    void potentiostatOff() override {}
    double potentiostatCurrent() override { return 0.0; }

    TDevice* device = nullptr;
    bool detectorOff = false;
};

SimOptions recordingSim() {
    SimOptions o = testSimOptions();
    o.recordLimit = 2'000'000;
    return o;
}

class RunTraceTest : public SimFixture {
protected:
    RunTraceTest() : SimFixture(recordingSim()), run(dev, host, store) {
        dev.PMTMaxVoltage = 1000;
        dev.PMTVoltageFactor = 1.0;
        for (auto& t : dev.CurrentFactorText) t = "1";
        dev.PMTCalculateCFactors();
        host.device = &dev;
        run.WallClock = [this] { return sim.modelSeconds(); };
        run.Period = 0.1;
        run.CycleTime = 0.5;
        run.Valves.SwitchTimes = {0.0, 0.12, 0.3, 0.5};
        run.Valves.Masks = {0x001, 0x802, 0x040, 0x000};
        run.Valves.StopMask = 0x004;
        run.Valves.PauseMask = 0x010;
        run.Pump.StepCount = 2;
        run.Pump.EndTimes = {0.15, 0.5};
        run.Pump.Speeds = {50.0, -20.0};
    }

    // The accesses since the last phase, described; the record starts afresh.
    void phase(const std::string& name) {
        text += describePhase(name, sim.portAccesses());
        text += "points " + std::to_string(store.Count) + "\n";
        sim.clearRecord();
    }
    void tick(const std::string& name) {
        run.tick();
        phase(name);
        sim.advanceSeconds(0.005);
    }

    TraceHost host;
    PointStore store;
    RunControl run;
    std::string text;
};

TEST_F(RunTraceTest, StartTicksPauseResumeWrapAndStopReachTheBusAsRecorded) {
    for (bool detectorOff : {false, true}) {
        SCOPED_TRACE(detectorOff ? "detector off during pause" : "detector on during pause");
        host.detectorOff = detectorOff;
        text.clear();
        sim.clearRecord();

        run.run();
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
        run.run();
        phase("resume");
        tick("tick 4");
        tick("tick 5");
        ASSERT_EQ(run.CycleCount, 1u) << "the cycle wrapped in tick 5";
        run.stop();
        phase("stop");

        EXPECT_TRUE(matchesTraceFile(text, std::string(VARENTIS_TEST_DATA) + "/traces/run_" +
                                               (detectorOff ? "detector_off" : "detector_on") +
                                               ".txt"));
    }
}

} // namespace
