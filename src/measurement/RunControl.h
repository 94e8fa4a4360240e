#pragma once

#include "core/Decimal.h"
#include "measurement/PointStore.h"
#include "measurement/Schedules.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>

namespace varentis {

class TDevice;

enum class RunState : std::int32_t { Stopped = 0, Running = 1, Paused = 2 };

// The scale and units the run uses for sizing the store, switching the detector on and
// writing the read-outs; taken from the graph scale of the window.
struct RunScale {
    double XMax = 100.0;                     // s
    double XUnitFactor = 1.0;
    int XDecimals = 1;
    std::string XUnitName = "s";
    double YUnitFactor = 1e-9;
    int YDecimals = 3;
    std::string YUnitName = "nA";
    double ZeroLine = 0.0;                   // A
    double SignalRangeMagnitude = 1e-7;      // A
    double CurrentRangeMagnitude = 2e-12;    // A
    double CurrentUnitFactor = 1e-12;
    int CurrentDecimals = 3;
    std::string CurrentUnitName = "pA";
};

// Everything a run takes from the window's settings, handed over as one value with each
// command and whenever a setting changes; a tick reads it once and never reads a control.
struct RunOptions {
    bool UsingPotentiostat = true;
    bool UsingValves = true;
    bool UsingPump = true;
    bool MaxTimeStop = false;            // "Stop if max time"
    bool DetectorOffDuringPause = false;
    bool ThreeElectrodes = false;        // the electrode system of the potential window
    double PMTVoltage = 100.0;           // V
    double Period = 0.1;                 // s
    double CycleTime = 30.0;             // s
    // An unattended run ends once this much measurement time is stored (s): the last point
    // kept is the one before it, as with the maximum-time stop.
    double StopAfterSeconds = std::numeric_limits<double>::infinity();
    RunScale Scale;
    // The programs parsed at the last full redraw; shared, as they can be large.
    std::shared_ptr<const RunPrograms> Programs = std::make_shared<const RunPrograms>();
};

// What one point writes into the read-out panels.
struct PointReadout {
    std::string time;      // Panel6
    std::string signal;    // Panel7
    std::string number;    // Panel8
    std::string potentiostat; // Panel9; empty when the potentiostat is not in use
};

// One point as the run took it: what the store keeps, what the read-outs show and what the
// live plot draws.
struct RunPoint {
    double Time = 0.0;          // s, as scheduled
    double Signal = 0.0;        // A, the raw mean
    double Current = 0.0;       // A, the mean cell current; 0 without the potentiostat
    bool CurrentStored = false; // the store keeps a current for this point
    double ZeroLine = 0.0;      // A, taken off the signal for drawing
    // The store's sizes after this point (grown when it reached its capacity).
    int Capacity = 0;
    int CurrentsLength = 0;
    PointReadout Readout;
};

// What a run shows. The window implements it; on the acquisition thread the run talks to a
// queue instead, which the window drains on its own thread (RunEventQueue).
class RunView {
public:
    virtual ~RunView() = default;
    // The state after a command or the maximum-time stop. Stopped also empties the read-outs.
    virtual void runStateChanged(RunState state) = 0;
    virtual void pointTaken(const RunPoint& point) = 0;
    // The live detector reading of a paused run: Panel7's text and the raw value behind it.
    virtual void liveSignal(const std::string& text, double rawSignal) = 0;
    // A valve mask the run applied; the valve boxes V1 .. V12 show it.
    virtual void valvesApplied(std::uint16_t mask) = 0;
};

// The run's state machine and the acquisition tick: the steps of Run, Pause and Stop that
// reach the instrument, in their order. The window first asks its questions (device test,
// unsaved data) and prepares the document and the store, then hands the command over.
class RunControl {
public:
    RunControl(TDevice& device, RunView& view);

    // A new run with the options as the full redraw left them and the store's starting sizes.
    void start(const RunOptions& options, const PointSizing& sizing);
    void resume(const RunOptions& options); // from Paused
    void pause();                           // from Running
    void stop();                            // from Running or Paused; nothing in Stopped
    // New options between two ticks: a redraw re-parsed the programs, a setting changed.
    void setOptions(const RunOptions& options) { options_ = options; }
    const RunOptions& options() const { return options_; }
    // One tick of the acquisition timer.
    void tick();

    // Monotonic seconds of the computer's own clock. It bounds the busy loop of a tick when
    // the instrument's timer does not count (no timer module on the bus), which would
    // otherwise hold the acquisition forever.
    std::function<double()> WallClock;
    // Looked at after every pass: a command that waits ends the tick there, so that it is
    // carried out between two ticks without waiting out the rest of the 0.105 s.
    const std::atomic<bool>* CommandWaiting = nullptr;

    RunState State = RunState::Stopped;
    // The acquisition timer: on from the start of a run to its Stop, pauses included.
    bool TimerEnabled = false;
    // The run switched the potentiostat on at its start; Stop switches it off.
    bool CellSwitchedOn = false;

    // Run counters.
    double NextPointTime = 0.0;
    std::uint64_t CycleCount = 0; // wide: a 16-bit count would wrap after 18 h of 1 s cycles
    int ValveStep = 1;
    int PumpStep = 0;
    int PotentialStep = 0;
    double SignalSum = 0.0;
    double CurrentSum = 0.0;
    int SampleCount = 0;
    // The sizes of the run's store; the window's store follows them point by point.
    PointSizing Sizing;

    // Tick length in instrument time, and the wall-clock bound of one tick.
    static constexpr double kTickSeconds = 0.105;
    static constexpr double kTickWallLimitSeconds = 0.5;

private:
    // A double and the decimal it stands for, worked out once per value.
    struct DecimalCache {
        double value = std::numeric_limits<double>::quiet_NaN();
        Decimal decimal;
    };
    // The maximum-time and unattended stops, as of the last point.
    struct StopCheck {
        double nextPointTime = std::numeric_limits<double>::quiet_NaN();
        double xMax = 0.0;
        double stopAfter = 0.0;
        bool maxTimeReached = false;
        bool stopAfterReached = false;
    };

    void runningTick();
    // The time axis and the period are typed decimals times unit factors: summed as
    // decimals, the 1000th step of 0.1 s reaches 100 s, which the summed doubles miss by a
    // hair (a point too many). NextPointTime >= X max (or the unattended run's time) is
    // decided on that decimal sum.
    bool stopDue();
    bool nextPointReaches(DecimalCache& limitCache, double limit);
    static const Decimal& cachedDecimal(DecimalCache& cache, double value);
    void takePoint(double& tc, bool potentiostat);
    double potentialOf(int step) const;
    // The valve switch of the run: acts only while the valves are in use.
    void applyValves(std::uint16_t mask);
    const RunPrograms& programs() const { return *options_.Programs; }

    TDevice& device_;
    RunView& view_;
    RunOptions options_;
    Decimal nextPointDecimal_; // NextPointTime as the sum of the periods' decimals
    DecimalCache periodCache_, xMaxCache_, stopAfterCache_;
    StopCheck stopCheck_;
};

} // namespace varentis
