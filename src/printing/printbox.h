#pragma once

#include <QDialog>

namespace varentis {

// Shown while a report goes to the printer.
class TPrintBox1 : public QDialog {
    Q_OBJECT
public:
    explicit TPrintBox1(QWidget* parent = nullptr);

};

} // namespace varentis
