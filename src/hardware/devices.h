#pragma once

#include "hardware/TDevice.h"

#include <QDialog>
#include <QTimer>

class QCheckBox;
class QLabel;
class QPushButton;

namespace varentis {

// The device test dialog "Device test". It shows the tests of the program's module driver,
// which the application owns and the dialog only holds.
//
// Each module has a caption (Label1, 3, 5, 7, 9) and its result "OK" or "not ready"
// (Label2, 4, 6, 8, 10). While the dialog is the active window, Timer1 repeats the test
// every 500 ms. "&Close" closes it with the result that CheckBox1 sets: OK (Accepted) while
// "Ignore error and continue" is ticked, Cancel (Rejected) while it is not; the close box
// always cancels. A run start that found a module missing goes on only with OK.
//
// The repeated test treats the programmable timer as the test that opened the dialog did
// (TDevice::TimerCheck): the dialog shown when a paused run resumes never clears the run's
// timer. From the menu it is a free test: "&Device test" is disabled during a run.
class TDeviceDialog : public QDialog {
    Q_OBJECT
public:
    using TimerCheck = TDevice::TimerCheck;

    TDeviceDialog(TDevice& device, QWidget* parent);

    // The test of the driver, shown in the result labels; true also when "Ignore error and
    // continue" is ticked, whatever the modules answered. A run asks this one before it
    // starts or resumes.
    bool DeviceTest(TimerCheck timer = TimerCheck::Free);

    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7, *Label8, *Label9,
        *Label10;
    QCheckBox* CheckBox1;
    QPushButton* Button1;
    QTimer Timer1;

    void FormActivate();
    void FormDeactivate();
    void Timer1Timer();
    void CheckBox1Click();

protected:
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void showResults();

    TDevice& device_;

    // The dialog result that "&Close" gives.
    int closeResult_ = QDialog::Rejected;
    TimerCheck timerCheck_ = TimerCheck::Free;
};

} // namespace varentis
