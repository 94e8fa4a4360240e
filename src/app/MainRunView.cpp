#include "app/MainRunView.h"

#include "app/PlotView.h"
#include "app/RunWindow.h"

namespace varentis {

MainRunView::MainRunView(RunWindow& window, ControlAccess& controls, PointStore& points,
                         PlotView& plot)
    : window_(window), controls_(controls), points_(points), plot_(plot) {}

void MainRunView::showRunState(RunState state) {
    const bool running = state == RunState::Running;
    const bool paused = state == RunState::Paused;
    // The device test stops, clears and restarts the programmable timer: never on a run's
    // time base.
    window_.enableRunCommands(!running, running, running || paused, !running && !paused);
    if (running) setPanel("Panel5", "Measuring");
    else if (paused) setPanel("Panel5", "Pause");
    else setPanel("Panel5", plot_.Zoomed ? "Zoom" : "");
}

void MainRunView::runStateChanged(RunState state) {
    state_ = state;
    if (state == RunState::Stopped) {
        for (const char* panel : {"Panel5", "Panel6", "Panel7", "Panel8", "Panel9"})
            setPanel(panel, {});
        points_.compact();
    }
    showRunState(state);
    if (stateReported) stateReported(state);
}

void MainRunView::pointTaken(const RunPoint& point) {
    points_.appendPoint(point.Time, point.Signal, point.CurrentStored, point.Current);
    points_.Capacity = point.Capacity;
    points_.CurrentsLength = point.CurrentsLength;

    const PointReadout& r = point.Readout;
    setPanel("Panel6", r.time);
    setPanel("Panel7", r.signal);
    setPanel("Panel8", r.number);
    if (!r.potentiostat.empty()) setPanel("Panel9", r.potentiostat);
    plot_.ReadoutSignal = point.Signal;
    if (pointStored) pointStored();
    plot_.DrawPoint(point.Time, point.Signal - point.ZeroLine, point.Current);
}

void MainRunView::liveSignal(const std::string& text, double rawSignal) {
    setPanel("Panel7", text);
    plot_.ReadoutSignal = rawSignal;
}

void MainRunView::valvesApplied(std::uint16_t mask) {
    window_.showValves(mask);
}

} // namespace varentis
