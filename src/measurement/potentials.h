#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace varentis {

class RadioGroup;

// The electrode potential window: the potential and cell-current axes, the electrode
// system, and a copy of the main window's potential program and graph boxes that the main
// window puts in before showing it and takes back when it closes.
class TPotential : public QDialog {
    Q_OBJECT
public:
    explicit TPotential(QWidget* parent = nullptr);

    QLineEdit *PMin, *PMax; // mV
    QLineEdit *CMin, *CMax; // in the unit of CUnits
    QComboBox* CUnits;
    RadioGroup* Electrodes;
    QCheckBox* ElectrodesOff;
    // Copies of the main window's controls of the same names.
    QCheckBox *ShowPotential, *DrawCurrent;
    QLineEdit* PotentialEdit;

signals:
    // An axis setting changed: the graph needs a redraw.
    void axesChanged();
};

} // namespace varentis
