#pragma once

#include <QDialog>

class QLineEdit;

namespace varentis {

// Page margins of the printed report.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);
    QLineEdit *Edit1, *Edit2, *Edit3, *Edit4; // cm: left, top, right, bottom
};

} // namespace varentis
