#include "measurement/RunControl.h"

#include "core/NumberText.h"
#include "hardware/TDevice.h"

#include <algorithm>
#include <chrono>

namespace varentis {

namespace {
double steadySeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}
} // namespace

RunControl::RunControl(TDevice& device, RunHost& host, PointStore& store)
    : WallClock(steadySeconds), device_(device), host_(host), store_(store) {}

void RunControl::run() {
    if (State == RunState::Stopped)
        startRun();
    else if (State == RunState::Paused)
        resume();
}

void RunControl::startRun() {
    if (!host_.confirmDevices()) return;
    if (!host_.resolveUnsavedData()) return;

    State = RunState::Running;
    host_.startNewDocument();
    host_.showRunState(RunState::Running);

    store_.startRun(runCapacity(host_.runScale().XMax, Period), false);
    host_.fullRedraw(); // renews the scale and the schedules used below
    const RunScale scale = host_.runScale();

    CycleCount = 0;
    ValveStep = 1;
    PumpStep = 0;
    PotentialStep = 0;

    device_.PMTOn(host_.pmtVoltage(), scale.SignalRangeMagnitude);
    if (host_.usingValves() && Valves.stepCount() > 0) host_.setValves(Valves.Masks[0]);
    if (host_.usingPump() && Pump.StepCount > 0) device_.PumpRun(Pump.Speeds[0]);
    host_.setAcquisitionTimer(true);
    device_.TimerStart();
    device_.TimerReset();
    if (host_.usingPotentiostat()) {
        store_.CurrentsLength = store_.Capacity;
        host_.potentiostatOn(host_.threeElectrodes(), scale.CurrentRangeMagnitude,
                             potentialOf(0));
    }

    SampleCount = 0;
    SignalSum = 0.0;
    CurrentSum = 0.0;
    NextPointTime = 0.0;
    host_.resetLivePlot();
}

void RunControl::resume() {
    if (!host_.confirmDevices()) return;
    host_.showRunState(RunState::Running);
    device_.TimerStart();
    State = RunState::Running;
    if (host_.detectorOffDuringPause())
        device_.PMTOn(host_.pmtVoltage(), host_.runScale().SignalRangeMagnitude);
    if (ValveStep > 0 && ValveStep - 1 < Valves.stepCount())
        host_.setValves(Valves.Masks[static_cast<std::size_t>(ValveStep - 1)]);
}

void RunControl::pause() {
    if (State != RunState::Running) return;
    host_.showRunState(RunState::Paused);
    if (host_.detectorOffDuringPause()) device_.PMTOff();
    host_.setValves(Valves.PauseMask);
    State = RunState::Paused;
    device_.TimerStop();
}

void RunControl::stop() {
    if (State == RunState::Stopped) return;
    device_.PMTOff();
    host_.setAcquisitionTimer(false);
    host_.showRunState(RunState::Stopped);
    host_.clearReadouts();
    if (host_.usingPotentiostat()) host_.potentiostatOff();
    host_.setValves(Valves.StopMask);
    device_.PumpStop();
    store_.compact();
    State = RunState::Stopped;
    host_.showRunState(RunState::Stopped); // again: "Zoom" in the emptied status panel
}

double RunControl::potentialOf(int step) const {
    if (step < 0 || step >= static_cast<int>(Potential.Potentials.size())) return 0.0;
    return Potential.Potentials[static_cast<std::size_t>(step)];
}

void RunControl::tick() {
    if (State == RunState::Paused) {
        const RunScale scale = host_.runScale();
        double r = device_.PMTGetCurrent();
        host_.showLiveSignal(text((r - scale.ZeroLine) / scale.YUnitFactor, scale.YDecimals) + " " +
                                 scale.YUnitName,
                             r);
        return;
    }
    if (State == RunState::Running) runningTick();
}

void RunControl::runningTick() {
    const double wallStart = WallClock ? WallClock() : 0.0;
    // Scale and units cannot change within a tick: the window handles no input meanwhile.
    const RunScale scale = host_.runScale();
    double t0 = static_cast<double>(CycleCount) * CycleTime + device_.GetTime();
    for (;;) {
        double tc = device_.GetTime();
        const double t = static_cast<double>(CycleCount) * CycleTime + tc;
        SignalSum += device_.PMTGetCurrent();
        const bool potentiostat = host_.usingPotentiostat();
        if (potentiostat) CurrentSum += host_.potentiostatCurrent();
        ++SampleCount;

        if (t >= NextPointTime) {
            const std::uint64_t cycles = CycleCount;
            const double tcBefore = tc;
            takePoint(tc, potentiostat, scale);
            // A cycle that ran past its end until this point sets the run time back by the
            // excess; the tick's start moves back with it, so the tick still lasts its
            // 0.105 s instead of holding the program until the time has caught up.
            if (CycleCount != cycles) t0 -= tcBefore - CycleTime;
        }

        if ((host_.maxTimeStop() && NextPointTime >= scale.XMax) ||
            NextPointTime >= StopAfterSeconds - Period * 1e-6) { // 0.1 s steps add up inexactly
            stop();
            return;
        }

        if (host_.usingValves() && ValveStep < Valves.stepCount() &&
            tc >= Valves.SwitchTimes[static_cast<std::size_t>(ValveStep)]) {
            host_.setValves(Valves.Masks[static_cast<std::size_t>(ValveStep)]);
            ++ValveStep;
        }

        if (host_.usingPump() && Pump.StepCount > 0) {
            if (PumpStep < Pump.StepCount - 1 &&
                tc > Pump.EndTimes[static_cast<std::size_t>(PumpStep)])
                ++PumpStep;
            device_.PumpRun(Pump.Speeds[static_cast<std::size_t>(PumpStep)]);
        }

        if (t - t0 >= kTickSeconds) return;
        if (WallClock && WallClock() - wallStart >= kTickWallLimitSeconds) return;
    }
}

void RunControl::takePoint(double& tc, bool potentiostat, const RunScale& scale) {
    if (tc >= CycleTime) {
        ++CycleCount;
        ValveStep = 0;
        PumpStep = 0;
        PotentialStep = 0;
        device_.TimerReset();
        tc = 0.0;
    }

    if (PotentialStep < Potential.StepCount - 1) {
        double end = Potential.EndTimes[static_cast<std::size_t>(PotentialStep)];
        if (tc >= end && end > 0.0) ++PotentialStep;
    }
    if (potentiostat) host_.potentiostatSetPotential(potentialOf(PotentialStep));

    const double mean = SampleCount > 0 ? SignalSum / SampleCount : 0.0;
    PointReadout readout;
    readout.time = text(NextPointTime / scale.XUnitFactor, scale.XDecimals) + " " + scale.XUnitName;
    readout.signal =
        text((mean - scale.ZeroLine) / scale.YUnitFactor, scale.YDecimals) + " " + scale.YUnitName;
    readout.number = std::to_string(store_.Count);

    double meanI = 0.0;
    if (potentiostat) {
        meanI = SampleCount > 0 ? CurrentSum / SampleCount : 0.0;
        readout.potentiostat = " Potentiostat: " + text(potentialOf(PotentialStep) * 1000.0, 0) +
                               " mV, " +
                               text(meanI / scale.CurrentUnitFactor, scale.CurrentDecimals) + " " +
                               scale.CurrentUnitName;
    }
    store_.append(NextPointTime, mean, meanI);
    host_.showPoint(readout, mean);
    host_.drawPoint(NextPointTime, mean - scale.ZeroLine, potentiostat ? meanI : 0.0);

    if (store_.Count >= store_.Capacity)
        store_.grow(runCapacity(scale.XMax, Period), potentiostat);

    SignalSum = 0.0;
    CurrentSum = 0.0;
    SampleCount = 0;
    NextPointTime += Period;
}

} // namespace varentis
