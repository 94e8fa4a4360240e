#pragma once

#include <QDialog>

class QPlainTextEdit;

namespace varentis {

// The data or the settings file as text.
class TViewdata : public QDialog {
    Q_OBJECT
public:
    explicit TViewdata(QWidget* parent = nullptr);
    QPlainTextEdit* Memo1;
};

} // namespace varentis
