#pragma once

#include <QDialog>

#include <cstddef>

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace varentis {

class TDevice;

// Calibration of the PMT detector: maximum high voltage, voltage factor, and the zero and
// factor of each current range, with a test voltage and a current reading to find them.
// The driver's numbers follow the texts of the fields whenever they change.
//
// The high voltage it switches on is off again however the dialog closes: "&Close", the
// title-bar close box, Esc or the window manager's close.
class TPMTSetup : public QDialog {
    Q_OBJECT
public:
    TPMTSetup(TDevice& device, QWidget* parent = nullptr);

    QLabel *Label1, *Label2; // status line: the detector and its test result
    QFrame* Panel1;          // maximum voltage
    QLabel *Label6, *Label5;
    QLineEdit* MaxVoltage; // V, setting "Max voltage"
    QGroupBox* GroupBox1;
    QLabel *Label3, *Label4;
    QLineEdit* VFactor; // setting "Voltage factor"
    QLineEdit* Voltage; // test voltage, V
    QPushButton* Button2;
    QGroupBox* GroupBox2;
    QLabel *Label7, *Label8, *Label9;
    QComboBox* ComboBox1; // range item 0 ("1 mA") to 5 ("10 nA")
    QLineEdit* CZero;     // zero of the selected range, counts
    QLineEdit* CFact;     // factor of the selected range
    QPushButton* Button3;
    QLabel* Panel2; // current read-out
    QPushButton* Button1;

    void FormActivate();
    void ComboBox1Change();
    void CZeroChange();
    void CFactChange();
    void MaxVoltageChange();
    void VFactorChange();
    void Button2Click(); // Set voltage
    void Button3Click(); // Read current

    // Every way of closing ends here: the high voltage goes off, then the dialog closes.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::size_t item() const; // the selected range item, 0 to 5

    TDevice& device_;
};

} // namespace varentis
