#pragma once

#include <QDialog>

namespace varentis {

// Program name and version.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
};

} // namespace varentis

#include <QIcon>

namespace varentis {
// The program's icon: a luminescence peak over a base line.
QIcon programIcon();
} // namespace varentis
