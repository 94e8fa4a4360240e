#pragma once

#include "measurement/PointStore.h"
#include "measurement/Schedules.h"

#include <cstdint>
#include <functional>
#include <limits>
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

// What one point writes into the read-out panels.
struct PointReadout {
    std::string time;      // Panel6
    std::string signal;    // Panel7
    std::string number;    // Panel8
    std::string potentiostat; // Panel9; empty when the potentiostat is not in use
};

// The window side of a run: questions, controls, drawing and the parts of the instrument
// that other modules of the program own. The run reads every setting afresh through it.
class RunHost {
public:
    virtual ~RunHost() = default;

    // Identifies the modules; on failure shows the device test. True to go on.
    virtual bool confirmDevices() = 0;
    // The unsaved-data question (with its Save). False cancels the command.
    virtual bool resolveUnsavedData() = 0;

    virtual bool usingPotentiostat() = 0;
    virtual bool usingValves() = 0;
    virtual bool usingPump() = 0;
    virtual bool maxTimeStop() = 0;
    virtual bool detectorOffDuringPause() = 0;
    virtual double pmtVoltage() = 0; // V
    virtual bool threeElectrodes() = 0;
    virtual RunScale runScale() = 0;

    // Buttons, menu items and the status panel for the state ("Zoom" when stopped and zoomed).
    virtual void showRunState(RunState state) = 0;
    // A new run's document: no file name, plain caption, data not saved.
    virtual void startNewDocument() = 0;
    virtual void clearReadouts() = 0;
    virtual void showPoint(const PointReadout& readout, double rawSignal) = 0;
    virtual void showLiveSignal(const std::string& text, double rawSignal) = 0;
    // Full redraw: rescales the axes and re-parses the programs into the schedules.
    virtual void fullRedraw() = 0;
    virtual void resetLivePlot() = 0;
    virtual void drawPoint(double time, double signal, double current) = 0;
    // The window's valve switch: acts only while the valves are in use.
    virtual void setValves(std::uint16_t mask) = 0;
    virtual void setAcquisitionTimer(bool enabled) = 0;

    // The potentiostat; filled in when its driver exists.
    virtual void potentiostatOn(bool threeElectrodes, double current, double potential) = 0;
    virtual void potentiostatSetPotential(double potential) = 0;
    virtual void potentiostatOff() = 0;
    virtual double potentiostatCurrent() = 0;
};

// The run's state machine (Run, Pause, Stop) and the acquisition tick.
class RunControl {
public:
    RunControl(TDevice& device, RunHost& host, PointStore& store);

    void run();   // start from Stopped, resume from Paused
    void pause(); // from Running
    void stop();  // from Running or Paused; nothing in Stopped
    // One tick of the acquisition timer.
    void tick();

    // Monotonic seconds of the computer's own clock. It bounds the busy loop of a tick when
    // the instrument's timer does not count (no timer module on the bus), which would
    // otherwise hold the program forever.
    std::function<double()> WallClock;

    // An unattended run ends once this much measurement time is stored (s): the last point
    // kept is the one before it, as with the maximum-time stop.
    double StopAfterSeconds = std::numeric_limits<double>::infinity();

    // Settings held as values (from SetPeriod, Edit10Change).
    double Period = 0.1;     // s
    double CycleTime = 30.0; // s

    RunState State = RunState::Stopped;
    PumpSchedule Pump;
    PotentialSchedule Potential;
    ValveSchedule Valves;

    // Run counters.
    double NextPointTime = 0.0;
    std::uint64_t CycleCount = 0; // wide: a 16-bit count would wrap after 18 h of 1 s cycles
    int ValveStep = 1;
    int PumpStep = 0;
    int PotentialStep = 0;
    double SignalSum = 0.0;
    double CurrentSum = 0.0;
    int SampleCount = 0;

    // Tick length in instrument time, and the wall-clock bound of one tick.
    static constexpr double kTickSeconds = 0.105;
    static constexpr double kTickWallLimitSeconds = 0.5;

private:
    void startRun();
    void resume();
    void runningTick();
    void takePoint(double& tc, bool potentiostat, const RunScale& scale);
    double potentialOf(int step) const;

    TDevice& device_;
    RunHost& host_;
    PointStore& store_;
};

} // namespace varentis
