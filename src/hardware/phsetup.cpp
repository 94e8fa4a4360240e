#include "hardware/phsetup.h"

#include "widgets/DialogForm.h"

namespace varentis {

TPMTSetup::TPMTSetup(QWidget* parent) : QDialog(parent) {
    DialogForm form(this, "TPMTSetup", "PMT detector setup");
    MaxVoltage = form.edit("MaxVoltage", "Max voltage", "1000");
    VFactor = form.edit("VFactor", "Voltage factor", "1.000");
    form.okCancel();
}

} // namespace varentis
