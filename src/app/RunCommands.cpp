// The main window's run commands: Run, Pause and Stop (buttons, menu items and Escape), the
// device check before a run, and the settings a run takes from the window.
#include "app/AppWindows.h"
#include "app/Sdimain.h"
#include "hardware/devices.h"
#include "hardware/phsetup.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>

#include <cstdio>

namespace varentis {

void TSDIAppForm::BitBtn1Click() {
    const RunState state = runState();
    if (state == RunState::Running) return;
    if (!confirmDevices()) return;
    if (state == RunState::Paused) {
        acquisition_->resume(runOptions());
        drainRunEvents();
        return;
    }
    if (!documents_.resolveUnsavedData()) return;
    documents_.startRunDocument();
    // Sized with the time axis of the scaling last computed, as the run rules say; the
    // redraw then renews the scale and the programs that the run starts with.
    const int capacity = runCapacity(plot_.scale().XMax, periodSeconds_);
    store_.startRun(capacity, false);
    DrawGraph();
    const PointSizing sizing = PointSizing::forRun(capacity, UsingPotentiostat->isChecked());
    store_.CurrentsLength = sizing.CurrentsLength;
    plot_.startLiveTrace();
    documents_.runStarted();
    acquisition_->start(runOptions(), sizing);
    drainRunEvents();
}

void TSDIAppForm::BitBtn2Click() {
    if (runState() != RunState::Running) return;
    acquisition_->pause();
    drainRunEvents();
}

void TSDIAppForm::BitBtn3Click() {
    if (runState() == RunState::Stopped) return;
    acquisition_->stop();
    drainRunEvents();
}

void TSDIAppForm::PMTdetectorsetup1Click() {
    // No measurement may run while the detector is being calibrated; a paused one stops too.
    BitBtn3Click();
    windows_->pmtSetup->exec();
}

void TSDIAppForm::drainRunEvents() {
    // A handler that opens a window of its own would take events again from inside; they
    // wait for this loop instead, so the order holds.
    if (draining_ || !acquisition_) return;
    draining_ = true;
    const int before = store_.Count;
    while (acquisition_->events().replayInto(runView_) > 0) {
    }
    draining_ = false;
    if (store_.Count != before) documents_.pointsStored();
}

void TSDIAppForm::Timer1Timer() {
    acquisition_->tick();
    drainRunEvents();
}

bool TSDIAppForm::confirmDevices() {
    if (windows_->deviceTest(timerCheck())) return true;
    if (quietErrors) {
        // Unattended: nobody can answer the dialog, so the module lines go to stderr.
        for (const DeviceTestLine& line : deviceTestLines(device_->LastDeviceTest()))
            std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(line.module.size()),
                         line.module.data(), static_cast<int>(line.result.size()),
                         line.result.data());
        return false;
    }
    return windows_->deviceDialog()->exec() == QDialog::Accepted;
}

TDevice::TimerCheck TSDIAppForm::timerCheck() const {
    switch (runState()) {
    case RunState::Running: return TDevice::TimerCheck::Running;
    case RunState::Paused: return TDevice::TimerCheck::Held;
    default: return TDevice::TimerCheck::Free;
    }
}

RunScale TSDIAppForm::runScale() const {
    const GraphScale& s = plot_.scale();
    RunScale r;
    r.XMax = s.XMax;
    r.XUnitFactor = s.XUnitFactor;
    r.XDecimals = s.XDecimals;
    r.XUnitName = ComboBox2->currentText().toStdString();
    r.YUnitFactor = s.YUnitFactor;
    r.YDecimals = s.YDecimals;
    r.YUnitName = ComboBox1->currentText().toStdString();
    r.ZeroLine = s.ZeroLine;
    r.SignalRangeMagnitude = s.SignalRangeMagnitude;
    r.CurrentRangeMagnitude = s.CurrentRangeMagnitude;
    r.CurrentUnitFactor = s.CurUnitFactor;
    r.CurrentDecimals = s.CurrentDecimals;
    r.CurrentUnitName = controls_.itemText("TPotential.CUnits");
    return r;
}

RunOptions TSDIAppForm::runOptions() const {
    RunOptions o;
    o.UsingPotentiostat = UsingPotentiostat->isChecked();
    o.UsingValves = UsingValves->isChecked();
    o.UsingPump = UsingPump->isChecked();
    o.MaxTimeStop = Stopifmaxtime1->isChecked();
    o.DetectorOffDuringPause = Detectoroff->isChecked();
    o.ThreeElectrodes = windows_->threeElectrodes();
    o.PMTVoltage = pmtVoltage_;
    o.Period = periodSeconds_;
    o.CycleTime = cycleTime_;
    o.StopAfterSeconds = StopAfterSeconds;
    o.Scale = runScale();
    o.Programs = programs_;
    return o;
}

void TSDIAppForm::pushRunOptions() {
    if (acquisition_ && runState() != RunState::Stopped) acquisition_->setOptions(runOptions());
}

} // namespace varentis
