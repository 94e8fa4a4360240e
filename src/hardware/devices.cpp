#include "hardware/devices.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>

namespace varentis {

TDeviceDialog::TDeviceDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("TDevice");
    setWindowTitle("Device test");
    auto* l = new QVBoxLayout(this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    l->addWidget(buttons);
}

} // namespace varentis
