#include "measurement/potentials.h"

#include "widgets/DialogForm.h"
#include "widgets/RadioGroup.h"

#include <QComboBox>
#include <QLineEdit>

namespace varentis {

TPotential::TPotential(QWidget* parent) : QDialog(parent) {
    DialogForm form(this, "TPotential", "Electrode potential");
    PMin = form.edit("PMin", "Potential min, mV", "-2");
    PMax = form.edit("PMax", "Potential max, mV", "2");
    CMin = form.edit("CMin", "Current min", "-2");
    CMax = form.edit("CMax", "Current max", "2");
    CUnits = form.combo("CUnits", "Current units", {"pA", "nA", "uA", "mA", "A"}, 0);
    for (QLineEdit* e : {PMin, PMax, CMin, CMax})
        connect(e, &QLineEdit::textChanged, this, &TPotential::axesChanged);
    connect(CUnits, &QComboBox::currentIndexChanged, this, &TPotential::axesChanged);
    Electrodes = form.radio("Electrodes", "Electrode system", {"2 electrodes", "3 electrodes"}, 0);
    ElectrodesOff = form.check("ElectrodesOff", "Electrodes off during Pause");
    form.closeButton("Button1", "OK");
}

} // namespace varentis
