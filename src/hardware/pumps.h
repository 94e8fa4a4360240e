#pragma once

#include <QDialog>

class QFrame;
class QLineEdit;
class QPushButton;

namespace varentis {

class TDevice;

// Runs the pump by hand at four stored speeds, or stops it. Modeless: it stays open beside
// the main window, also during a run (each pump operation is one driver operation, atomic on
// the bus, so the acquisition thread never sees half of it).
class TPump : public QDialog {
    Q_OBJECT
public:
    TPump(TDevice& device, QWidget* parent = nullptr);

    QFrame* Panel1;
    QLineEdit *Edit1, *Edit2, *Edit3, *Edit4; // stored speeds, percent (negative: reverse)
    QPushButton *Button2, *Button3, *Button4, *Button5; // "Set speed 1" to "Set speed 4"
    QPushButton* Button6;                               // "Stop pump"
    QPushButton* Button1;                               // "&Close": hides, the pump runs on

    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();

private:
    void setSpeed(const QLineEdit* edit);

    TDevice& device_;
};

} // namespace varentis
