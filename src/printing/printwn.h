#pragma once

#include <QDialog>

class QCheckBox;

namespace varentis {

// What the printed report contains.
class TPrintRep : public QDialog {
    Q_OBJECT
public:
    explicit TPrintRep(QWidget* parent = nullptr);
    QCheckBox *CheckBox1, *CheckBox2, *CheckBox3, *CheckBox4, *CheckBox5;
};

} // namespace varentis
