#pragma once

#include "hardware/TDevice.h"

#include <QDialog>

namespace varentis {

// The device test dialog. It is also the program's one module driver: the driver
// operations and register copies come from TDevice.
class TDeviceDialog : public QDialog, public TDevice {
    Q_OBJECT
public:
    explicit TDeviceDialog(QWidget* parent = nullptr);
};

} // namespace varentis
