#include "measurement/potentials.h"

#include "widgets/DialogForm.h"
#include "widgets/RadioGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace varentis {

TPotential::TPotential(QWidget* parent) : QDialog(parent) {
    DialogForm form(this, "TPotential", "Electrode potential");
    form.beginGroup("GroupBox1", "Potential axis");
    PMin = form.edit("PMin", "Min", "-2", "mV");
    PMax = form.edit("PMax", "Max", "2", "mV");
    form.beginGroup("GroupBox2", "Current axis");
    CMin = form.edit("CMin", "Min", "-2");
    CMax = form.edit("CMax", "Max", "2");
    CUnits = form.combo("CUnits", "Units", {"pA", "nA", "uA", "mA", "A"}, 0);
    form.endGroup();
    for (QLineEdit* e : {PMin, PMax, CMin, CMax})
        connect(e, &QLineEdit::textChanged, this, &TPotential::axesChanged);
    connect(CUnits, &QComboBox::currentIndexChanged, this, &TPotential::axesChanged);

    Electrodes = form.radio("Electrodes", "Electrode system", {"2 electrodes", "3 electrodes"}, 0);
    ShowPotential = form.check("ShowPotential", "Show potential graph");
    DrawCurrent = form.check("DrawCurrent", "Draw current");
    ElectrodesOff = form.check("ElectrodesOff", "Electrodes Off during Pause");

    form.label("Label1", "Electrode potential:  pot1(time1),pot2(time2)...");
    PotentialEdit = form.newEdit("PotentialEdit", "0");
    PotentialEdit->setMinimumWidth(260);
    QWidget* unit = form.newLabel("Label2", "mV(s)");
    form.row({PotentialEdit, unit});
    form.closeButton("Button1", "&Close");
}

} // namespace varentis
