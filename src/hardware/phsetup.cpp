#include "hardware/phsetup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace varentis {

TPMTSetup::TPMTSetup(QWidget* parent) : QDialog(parent) {
    setObjectName("TPMTSetup");
    setWindowTitle("PMT detector setup");
    auto* form = new QFormLayout(this);
    auto edit = [this, form](QLineEdit*& e, const char* name, const char* label, const char* text) {
        e = new QLineEdit(text, this);
        e->setObjectName(name);
        form->addRow(label, e);
    };
    edit(MaxVoltage, "MaxVoltage", "Max voltage", "1000");
    edit(VFactor, "VFactor", "Voltage factor", "1.000");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout()->addWidget(buttons);
}

} // namespace varentis
