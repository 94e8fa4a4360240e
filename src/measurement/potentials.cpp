#include "measurement/potentials.h"

#include "app/RadioGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

namespace varentis {

TPotential::TPotential(QWidget* parent) : QDialog(parent) {
    setObjectName("TPotential");
    setWindowTitle("Electrode potential");
    auto* form = new QFormLayout(this);
    auto edit = [this, form](QLineEdit*& e, const char* name, const char* label, const char* text) {
        e = new QLineEdit(text, this);
        e->setObjectName(name);
        form->addRow(label, e);
        connect(e, &QLineEdit::textChanged, this, &TPotential::axesChanged);
    };
    edit(PMin, "PMin", "Potential min, mV", "-2");
    edit(PMax, "PMax", "Potential max, mV", "2");
    edit(CMin, "CMin", "Current min", "-2");
    edit(CMax, "CMax", "Current max", "2");
    CUnits = new QComboBox(this);
    CUnits->setObjectName("CUnits");
    CUnits->addItems({"pA", "nA", "uA", "mA", "A"});
    CUnits->setCurrentIndex(0);
    form->addRow("Current units", CUnits);
    connect(CUnits, &QComboBox::currentIndexChanged, this, &TPotential::axesChanged);
    Electrodes = new RadioGroup("Electrodes", "Electrode system", {"2 electrodes", "3 electrodes"},
                                this);
    Electrodes->setItemIndex(0);
    form->addRow(Electrodes);
    ElectrodesOff = new QCheckBox("Electrodes off during Pause", this);
    ElectrodesOff->setObjectName("ElectrodesOff");
    form->addRow(ElectrodesOff);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    form->addRow(buttons);
}

} // namespace varentis
