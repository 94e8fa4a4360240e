#pragma once

#include "hardware/TDevice.h"

#include <QDialog>

class QLabel;

namespace varentis {

// The device test dialog. It is also the program's one module driver: the driver
// operations and register copies come from TDevice.
class TDeviceDialog : public QDialog, public TDevice {
    Q_OBJECT
public:
    TDeviceDialog(PortBackend& bus, QWidget* parent);

protected:
    void showEvent(QShowEvent* event) override;

private:
    // One line per module: its name and "OK" or "not ready" from the last test.
    QLabel* lines_[5];
};

} // namespace varentis
