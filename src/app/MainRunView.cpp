#include "app/MainRunView.h"

#include "app/MainFormLayout.h"
#include "app/PlotView.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

namespace varentis {

MainRunView::MainRunView(MainFormLayout& form, PointStore& points, PlotView& plot)
    : form_(form), points_(points), plot_(plot) {}

void MainRunView::showRunState(RunState state) {
    const bool running = state == RunState::Running;
    const bool paused = state == RunState::Paused;
    form_.BitBtn1->setEnabled(!running);
    form_.Run1->setEnabled(!running);
    form_.BitBtn2->setEnabled(running);
    form_.Pause1->setEnabled(running);
    form_.BitBtn3->setEnabled(running || paused);
    form_.Stop1->setEnabled(running || paused);
    // The device test stops, clears and restarts the programmable timer: never on a run's
    // time base.
    form_.Devicetest1->setEnabled(!running && !paused);
    if (running) form_.Panel5->setText("Measuring");
    else if (paused) form_.Panel5->setText("Pause");
    else form_.Panel5->setText(plot_.Zoomed ? "Zoom" : "");
}

void MainRunView::runStateChanged(RunState state) {
    state_ = state;
    if (state == RunState::Stopped) {
        for (QLabel* p : {form_.Panel5, form_.Panel6, form_.Panel7, form_.Panel8, form_.Panel9})
            p->clear();
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
    form_.Panel6->setText(QString::fromStdString(r.time));
    form_.Panel7->setText(QString::fromStdString(r.signal));
    form_.Panel8->setText(QString::fromStdString(r.number));
    if (!r.potentiostat.empty()) form_.Panel9->setText(QString::fromStdString(r.potentiostat));
    plot_.ReadoutSignal = point.Signal;
    if (pointStored) pointStored();
    plot_.DrawPoint(point.Time, point.Signal - point.ZeroLine, point.Current);
}

void MainRunView::liveSignal(const std::string& text, double rawSignal) {
    form_.Panel7->setText(QString::fromStdString(text));
    plot_.ReadoutSignal = rawSignal;
}

void MainRunView::valvesApplied(std::uint16_t mask) {
    for (int v = 0; v < 12; ++v) form_.ValveBoxes[v]->setChecked((mask >> v) & 1u);
}

} // namespace varentis
