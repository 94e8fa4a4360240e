#pragma once

#include <QDialog>

class QLineEdit;

namespace varentis {

// Runs the pump by hand at four stored speeds.
class TPump : public QDialog {
    Q_OBJECT
public:
    explicit TPump(QWidget* parent = nullptr);
    QLineEdit *Edit1, *Edit2, *Edit3, *Edit4; // stored speeds, percent
};

} // namespace varentis
