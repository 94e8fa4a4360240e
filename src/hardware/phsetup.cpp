#include "hardware/phsetup.h"

#include "core/NumberText.h"
#include "hardware/PMTSetupRules.h"
#include "hardware/TDevice.h"
#include "widgets/DialogForm.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

#include <algorithm>

namespace varentis {

namespace {
std::string textOf(const QLineEdit* edit) { return edit->text().toStdString(); }
} // namespace

TPMTSetup::TPMTSetup(TDevice& device, QWidget* parent) : QDialog(parent), device_(device) {
    DialogForm form(this, "TPMTSetup", "PMT detector setup");

    // The status line at the left, the maximum-voltage panel at the right.
    Panel1 = form.beginPanel("Panel1", false);
    Label6 = form.newHeading("Label6", "PMT maximum voltage");
    MaxVoltage = form.newEdit("MaxVoltage", "1000");
    Label5 = form.newLabel("Label5", "V");
    form.line(nullptr, {Label6});
    form.line(nullptr, {MaxVoltage, Label5});
    form.endGroup();
    Label1 = form.newLabel("Label1", "PMT detector: controller and acquisition board");
    Label2 = form.newHeading("Label2", "");
    form.line(nullptr, {Label1, Label2}, {Panel1});

    GroupBox1 = form.beginGroup("GroupBox1", "PMT voltage calibration");
    Label3 = form.newLabel("Label3", "Factor (0.9 .. 1.1)");
    VFactor = form.newEdit("VFactor", "1.000");
    form.line(Label3, {VFactor});
    Label4 = form.newLabel("Label4", "PMT voltage");
    Voltage = form.newEdit("Voltage", "0");
    Button2 = form.newButton("Button2", "&Set voltage");
    form.line(Label4, {Voltage}, {Button2});

    GroupBox2 = form.beginGroup("GroupBox2", "PMT current calibration");
    Label7 = form.newLabel("Label7", "Current range");
    ComboBox1 = form.newCombo("ComboBox1", {"1 mA", "100 uA", "10 uA", "1 uA", "100 nA", "10 nA"});
    form.line(Label7, {ComboBox1});
    Label8 = form.newLabel("Label8", "Zero (-100 .. 100)");
    CZero = form.newEdit("CZero", "0");
    Button3 = form.newButton("Button3", "Read current");
    Panel2 = form.newReadout("Panel2", "..................");
    form.line(Label8, {CZero}, {Button3, Panel2});
    Label9 = form.newLabel("Label9", "Factor (0.9 .. 1.1)");
    CFact = form.newEdit("CFact", "1.0000");
    form.line(Label9, {CFact});

    // "&Close" accepts; done() switches the high voltage off on the way out.
    Button1 = form.closeButton("Button1", "&Close");

    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TPMTSetup::ComboBox1Change);
    connect(CZero, &QLineEdit::textChanged, this, &TPMTSetup::CZeroChange);
    connect(CFact, &QLineEdit::textChanged, this, &TPMTSetup::CFactChange);
    connect(MaxVoltage, &QLineEdit::textChanged, this, &TPMTSetup::MaxVoltageChange);
    connect(VFactor, &QLineEdit::textChanged, this, &TPMTSetup::VFactorChange);
    connect(Button2, &QPushButton::clicked, this, &TPMTSetup::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TPMTSetup::Button3Click);

    // The driver starts from the texts the fields start with; from here on every change of
    // a text (typed, or loaded from the settings file) reaches it through the handlers.
    MaxVoltageChange();
    VFactorChange();
}

std::size_t TPMTSetup::item() const {
    return static_cast<std::size_t>(std::clamp(ComboBox1->currentIndex(), 0, 5));
}

void TPMTSetup::showEvent(QShowEvent* event) {
    // Each opening, not each return from a minimised window.
    if (!event->spontaneous()) FormActivate();
    QDialog::showEvent(event);
}

void TPMTSetup::FormActivate() {
    Voltage->setText("0");
    Label2->setText(device_.PMTTest() ? "OK" : "not ready");
    ComboBox1Change();
}

void TPMTSetup::ComboBox1Change() {
    const std::size_t i = item();
    CZero->setText(QString::fromStdString(device_.CurrentZeroText()[i]));
    CFact->setText(QString::fromStdString(device_.CurrentFactorText()[i]));
}

void TPMTSetup::CZeroChange() {
    device_.SetCurrentZeroText(item(), textOf(CZero));
    device_.PMTCalculateCFactors();
}

void TPMTSetup::CFactChange() {
    device_.SetCurrentFactorText(item(), textOf(CFact));
    device_.PMTCalculateCFactors();
    device_.PMTSetCurrent(PMTRangeFullScale[item()]);
}

void TPMTSetup::MaxVoltageChange() {
    device_.SetPMTMaxVoltage(pmtMaxVoltageOf(textOf(MaxVoltage)));
}

void TPMTSetup::VFactorChange() {
    device_.SetPMTVoltageFactor(pmtVoltageFactorOf(textOf(VFactor)));
}

void TPMTSetup::Button2Click() {
    device_.PMTOn(readNumber(textOf(Voltage)), PMTRangeFullScale[item()]);
}

void TPMTSetup::Button3Click() {
    const std::size_t i = item();
    device_.PMTSetCurrent(PMTRangeFullScale[i]);
    const double current = device_.PMTGetCurrent();
    Panel2->setText(QString::fromStdString(pmtCurrentReadout(current, i)));
}

void TPMTSetup::done(int result) {
    // High voltage left on with nobody watching can damage the tube, so no way of closing
    // may skip this (the close box and Esc end here as "&Close" does).
    device_.PMTOff();
    QDialog::done(result);
}

} // namespace varentis
