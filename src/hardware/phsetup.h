#pragma once

#include <QDialog>

class QLineEdit;

namespace varentis {

// Calibration of the PMT detector.
class TPMTSetup : public QDialog {
    Q_OBJECT
public:
    explicit TPMTSetup(QWidget* parent = nullptr);
    QLineEdit *MaxVoltage, *VFactor;
};

} // namespace varentis
