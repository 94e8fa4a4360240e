#include "measurement/RunControl.h"

#include "core/Decimal.h"
#include "core/NumberText.h"
#include "hardware/TDevice.h"
#include "measurement/CycleTime.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace varentis {

namespace {
double steadySeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// The pump steps a schedule really holds.
int pumpSteps(const PumpSchedule& pump) {
    return static_cast<int>(std::min({static_cast<std::size_t>(std::max(pump.StepCount, 0)),
                                      pump.EndTimes.size(), pump.Speeds.size()}));
}
} // namespace

RunControl::RunControl(TDevice& device, RunView& view)
    : WallClock(steadySeconds), device_(device), view_(view) {}

void RunControl::start(const RunOptions& options, const PointSizing& sizing) {
    if (State != RunState::Stopped) return;
    options_ = options;
    State = RunState::Running;
    Sizing = sizing;

    CycleCount = 0;
    ValveStep = 1;
    PumpStep = 0;
    PotentialStep = 0;

    const RunPrograms& p = programs();
    device_.PMTOn(options_.PMTVoltage, options_.Scale.SignalRangeMagnitude);
    if (p.Valves.stepCount() > 0) applyValves(p.Valves.Masks[0]);
    if (options_.UsingPump && pumpSteps(p.Pump) > 0) device_.PumpRun(p.Pump.Speeds[0]);
    TimerEnabled = true;
    device_.TimerStart();
    device_.TimerReset();
    CellSwitchedOn = options_.UsingPotentiostat;
    if (CellSwitchedOn)
        device_.EcellOn(options_.ThreeElectrodes, options_.Scale.CurrentRangeMagnitude,
                        potentialOf(0));

    SampleCount = 0;
    SignalSum = 0.0;
    CurrentSum = 0.0;
    NextPointTime = 0.0;
    nextPointDecimal_ = Decimal{};
    view_.runStateChanged(State);
}

void RunControl::resume(const RunOptions& options) {
    if (State != RunState::Paused) return;
    options_ = options;
    device_.TimerStart();
    State = RunState::Running;
    if (options_.DetectorOffDuringPause)
        device_.PMTOn(options_.PMTVoltage, options_.Scale.SignalRangeMagnitude);
    const ValveSchedule& valves = programs().Valves;
    if (ValveStep > 0 && ValveStep - 1 < valves.stepCount())
        applyValves(valves.Masks[static_cast<std::size_t>(ValveStep - 1)]);
    view_.runStateChanged(State);
}

void RunControl::pause() {
    if (State != RunState::Running) return;
    if (options_.DetectorOffDuringPause) device_.PMTOff();
    applyValves(programs().Valves.PauseMask);
    State = RunState::Paused;
    device_.TimerStop();
    view_.runStateChanged(State);
}

void RunControl::stop() {
    if (State == RunState::Stopped) return;
    device_.PMTOff();
    TimerEnabled = false;
    // Also when "Using" was unticked during the run: a cell this run switched on must not
    // stay at its potential after the run.
    if (options_.UsingPotentiostat || CellSwitchedOn) device_.EcellOff();
    CellSwitchedOn = false;
    applyValves(programs().Valves.StopMask);
    device_.PumpStop();
    State = RunState::Stopped;
    view_.runStateChanged(State);
}

void RunControl::applyValves(std::uint16_t mask) {
    if (!options_.UsingValves) return;
    device_.SetValves(mask);
    view_.valvesApplied(mask);
}

double RunControl::potentialOf(int step) const {
    const PotentialSchedule& potential = programs().Potential;
    if (step < 0 || step >= static_cast<int>(potential.Potentials.size())) return 0.0;
    return potential.Potentials[static_cast<std::size_t>(step)];
}

void RunControl::tick() {
    if (!TimerEnabled) return;
    if (State == RunState::Paused) {
        const RunScale& scale = options_.Scale;
        const double r = device_.PMTGetCurrent();
        view_.liveSignal(text((r - scale.ZeroLine) / scale.YUnitFactor, scale.YDecimals) + " " +
                             scale.YUnitName,
                         r);
        return;
    }
    if (State == RunState::Running) runningTick();
}

void RunControl::runningTick() {
    const double wallStart = WallClock ? WallClock() : 0.0;
    // The options hold still for the whole tick: new ones are handed over between ticks.
    const bool potentiostat = options_.UsingPotentiostat;
    const RunPrograms& p = programs();
    const int pumpStepCount = pumpSteps(p.Pump);
    double t0 = static_cast<double>(CycleCount) * options_.CycleTime + device_.GetTime();
    for (;;) {
        double tc = device_.GetTime();
        const double t = static_cast<double>(CycleCount) * options_.CycleTime + tc;
        SignalSum += device_.PMTGetCurrent();
        if (potentiostat) CurrentSum += device_.EcellGetCurrent();
        ++SampleCount;

        if (reachedTime(t, NextPointTime)) {
            const std::uint64_t cycles = CycleCount;
            const double tcBefore = tc;
            takePoint(tc, potentiostat);
            // A cycle that ran past its end until this point sets the run time back by the
            // excess; the tick's start moves back with it, so the tick still lasts its
            // 0.105 s instead of holding the acquisition until the time has caught up.
            if (CycleCount != cycles) t0 -= tcBefore - options_.CycleTime;
        }

        if (stopDue()) {
            stop();
            return;
        }

        if (options_.UsingValves && ValveStep < p.Valves.stepCount() &&
            reachedTime(tc, p.Valves.SwitchTimes[static_cast<std::size_t>(ValveStep)])) {
            applyValves(p.Valves.Masks[static_cast<std::size_t>(ValveStep)]);
            ++ValveStep;
        }

        if (options_.UsingPump && pumpStepCount > 0) {
            if (PumpStep < pumpStepCount - 1 &&
                pastTime(tc, p.Pump.EndTimes[static_cast<std::size_t>(PumpStep)]))
                ++PumpStep;
            // A program edited during the run keeps the step index; one with fewer steps
            // runs its last step.
            const int step = std::min(PumpStep, pumpStepCount - 1);
            device_.PumpRun(p.Pump.Speeds[static_cast<std::size_t>(step)]);
        }

        if (t - t0 >= kTickSeconds) return;
        if (WallClock && WallClock() - wallStart >= kTickWallLimitSeconds) return;
        if (CommandWaiting && CommandWaiting->load(std::memory_order_relaxed)) return;
    }
}

void RunControl::takePoint(double& tc, bool potentiostat) {
    const RunScale& scale = options_.Scale;
    if (reachedTime(tc, options_.CycleTime)) {
        ++CycleCount;
        ValveStep = 0;
        PumpStep = 0;
        PotentialStep = 0;
        device_.TimerReset();
        tc = 0.0;
    }

    const PotentialSchedule& potential = programs().Potential;
    if (PotentialStep < potential.StepCount - 1) {
        const double end = potential.EndTimes[static_cast<std::size_t>(PotentialStep)];
        if (end > 0.0 && reachedTime(tc, end)) ++PotentialStep;
    }
    // Sent at every point, changed or not.
    if (potentiostat) device_.EcellSetPotential(potentialOf(PotentialStep));

    RunPoint point;
    point.Time = NextPointTime;
    point.Signal = SampleCount > 0 ? SignalSum / SampleCount : 0.0;
    point.ZeroLine = scale.ZeroLine;
    PointReadout& readout = point.Readout;
    readout.time = text(NextPointTime / scale.XUnitFactor, scale.XDecimals) + " " + scale.XUnitName;
    readout.signal = text((point.Signal - scale.ZeroLine) / scale.YUnitFactor, scale.YDecimals) +
                     " " + scale.YUnitName;
    readout.number = std::to_string(Sizing.Count);
    if (potentiostat) {
        point.Current = SampleCount > 0 ? CurrentSum / SampleCount : 0.0;
        readout.potentiostat = " Potentiostat: " + text(potentialOf(PotentialStep) * 1000.0, 0) +
                               " mV, " +
                               text(point.Current / scale.CurrentUnitFactor, scale.CurrentDecimals) +
                               " " + scale.CurrentUnitName;
    }
    point.CurrentStored = Sizing.storesCurrent();
    ++Sizing.Count;
    if (Sizing.Count >= Sizing.Capacity)
        Sizing.grow(runCapacity(scale.XMax, options_.Period), potentiostat);
    point.Capacity = Sizing.Capacity;
    point.CurrentsLength = Sizing.CurrentsLength;
    view_.pointTaken(point);

    SignalSum = 0.0;
    CurrentSum = 0.0;
    SampleCount = 0;
    NextPointTime += options_.Period;
    nextPointDecimal_ = add(nextPointDecimal_, cachedDecimal(periodCache_, options_.Period));
}

const Decimal& RunControl::cachedDecimal(DecimalCache& cache, double value) {
    if (!(cache.value == value)) {
        cache.value = value;
        cache.decimal = decimalNear(value);
    }
    return cache.decimal;
}

bool RunControl::nextPointReaches(DecimalCache& limitCache, double limit) {
    if (!(limit < std::numeric_limits<double>::infinity())) return false;
    // The decimal sum of the periods is the time NextPointTime sums in doubles.
    const Decimal& exactLimit = cachedDecimal(limitCache, limit);
    if (const std::optional<int> order = compare(nextPointDecimal_, exactLimit)) return *order >= 0;
    // Sums beyond what decimals hold: the summed steps fall short by a little each.
    return NextPointTime >= limit - options_.Period * 1e-6;
}

bool RunControl::stopDue() {
    StopCheck& c = stopCheck_;
    // Decided once per point (or when a limit changes), not in every pass.
    if (!(c.nextPointTime == NextPointTime && c.xMax == options_.Scale.XMax &&
          c.stopAfter == options_.StopAfterSeconds)) {
        c.nextPointTime = NextPointTime;
        c.xMax = options_.Scale.XMax;
        c.stopAfter = options_.StopAfterSeconds;
        c.maxTimeReached = nextPointReaches(xMaxCache_, c.xMax);
        c.stopAfterReached = nextPointReaches(stopAfterCache_, c.stopAfter);
    }
    return (options_.MaxTimeStop && c.maxTimeReached) || c.stopAfterReached;
}

} // namespace varentis
