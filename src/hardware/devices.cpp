#include "hardware/devices.h"

#include "widgets/DialogForm.h"

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QPushButton>

namespace varentis {

namespace {
// What follows each module's name in its caption: the boards that answer for it.
constexpr const char* kDesignations[5]{
    "controller and acquisition board (A2h, 92h)",
    "controller and acquisition board (74h, 96h)",
    "32-bit counter of 10 µs (84h)",
    "twelve valves (70h)",
    "speed and direction (80h)",
};

QString fromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
} // namespace

TDeviceDialog::TDeviceDialog(TDevice& device, QWidget* parent)
    : QDialog(parent), device_(device) {
    DialogForm form(this, "TDevice", "Device test");
    form.beginGroup("GroupBox1", QString());
    QLabel** captions[5]{&Label1, &Label3, &Label5, &Label7, &Label9};
    QLabel** results[5]{&Label2, &Label4, &Label6, &Label8, &Label10};
    const auto lines = deviceTestLines(device_.LastDeviceTest());
    for (int i = 0; i < 5; ++i) {
        const QByteArray captionName = "Label" + QByteArray::number(2 * i + 1);
        const QByteArray resultName = "Label" + QByteArray::number(2 * i + 2);
        *captions[i] = form.newLabel(captionName.constData(),
                                     fromView(lines[static_cast<std::size_t>(i)].module) + ": " +
                                         kDesignations[i]);
        *results[i] = form.newLabel(resultName.constData(), QString());
        (*results[i])->setMinimumWidth(70);
        form.pair(*captions[i], *results[i]);
    }
    form.endGroup();
    CheckBox1 = form.check("CheckBox1", "Ignore error and continue");
    Button1 = form.defaultButton("Button1", "&Close");

    Timer1.setObjectName("Timer1");
    Timer1.setInterval(500);
    connect(&Timer1, &QTimer::timeout, this, &TDeviceDialog::Timer1Timer);
    connect(CheckBox1, &QCheckBox::toggled, this, &TDeviceDialog::CheckBox1Click);
    connect(Button1, &QPushButton::clicked, this, [this] { done(closeResult_); });
}

bool TDeviceDialog::DeviceTest(TimerCheck timer) {
    timerCheck_ = timer;
    const bool all = device_.DeviceTest(timer);
    showResults();
    return all || CheckBox1->isChecked();
}

void TDeviceDialog::showResults() {
    QLabel* results[5]{Label2, Label4, Label6, Label8, Label10};
    const auto lines = deviceTestLines(device_.LastDeviceTest());
    for (std::size_t i = 0; i < lines.size(); ++i) results[i]->setText(fromView(lines[i].result));
}

void TDeviceDialog::FormActivate() { Timer1.start(); }

void TDeviceDialog::FormDeactivate() { Timer1.stop(); }

void TDeviceDialog::Timer1Timer() { DeviceTest(timerCheck_); }

void TDeviceDialog::CheckBox1Click() {
    closeResult_ = CheckBox1->isChecked() ? QDialog::Accepted : QDialog::Rejected;
}

void TDeviceDialog::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow()) FormActivate();
        else FormDeactivate();
    }
    QDialog::changeEvent(event);
}

void TDeviceDialog::hideEvent(QHideEvent* event) {
    // A hidden window is not active, whatever the platform last reported.
    FormDeactivate();
    QDialog::hideEvent(event);
}

} // namespace varentis
