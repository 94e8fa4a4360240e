#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace varentis {

class RadioGroup;

// Potentiostat settings: the potential and cell-current axes, the electrode system.
class TPotential : public QDialog {
    Q_OBJECT
public:
    explicit TPotential(QWidget* parent = nullptr);

    QLineEdit *PMin, *PMax; // mV
    QLineEdit *CMin, *CMax; // in the unit of CUnits
    QComboBox* CUnits;
    RadioGroup* Electrodes;
    QCheckBox* ElectrodesOff;

signals:
    // An axis setting changed: the graph needs a redraw.
    void axesChanged();
};

} // namespace varentis
