#pragma once

#include "documents/ControlAccess.h"
#include "measurement/PointStore.h"
#include "measurement/RunControl.h"

#include <functional>

namespace varentis {

class PlotView;
class RunWindow;

// What a run shows in the main window: the Run, Pause and Stop buttons and menu items and
// the valve boxes (the RunWindow), the read-out panels (controls by name) and the live plot. The run's events arrive here on the
// window's thread, in the order the run produced them; each point is stored and drawn once.
class MainRunView final : public RunView {
public:
    MainRunView(RunWindow& window, ControlAccess& controls, PointStore& points, PlotView& plot);

    void runStateChanged(RunState state) override;
    void pointTaken(const RunPoint& point) override;
    void liveSignal(const std::string& text, double rawSignal) override;
    void valvesApplied(std::uint16_t mask) override;

    // Buttons, menu items and the status panel for `state` ("Zoom" when stopped and zoomed).
    void showRunState(RunState state);
    // The state of the run as its last event told it.
    RunState state() const { return state_; }

    // Told of every state the run reports, after the window shows it.
    std::function<void(RunState)> stateReported;
    // Told of every point stored (a point taken after a save needs saving again).
    std::function<void()> pointStored;

private:
    void setPanel(const char* panel, const std::string& text) { controls_.setText(panel, text); }

    RunWindow& window_;
    ControlAccess& controls_;
    PointStore& points_;
    PlotView& plot_;
    RunState state_ = RunState::Stopped;
};

} // namespace varentis
