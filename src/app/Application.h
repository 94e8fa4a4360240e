#pragma once

#include "app/AppWindows.h"
#include "hardware/TDevice.h"
#include "measurement/Acquisition.h"

#include <QString>

#include <memory>

namespace varentis {

class PortBackend;
class TSDIAppForm;

// The program's driver, windows and run, put together in the order of its start: the module
// driver on the bus (it touches no port until asked), the main window (which reads its
// settings and opens the port), then the other windows, then the run on that driver. The
// program and its tests start the same way.
class Application {
public:
    // The acquisition runs on its own thread in the program; tests drive it tick by tick.
    Application(const QString& iniPath, PortBackend& bus,
                Acquisition::Mode mode = Acquisition::Mode::Thread);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    TSDIAppForm& form() { return *form_; }
    AppWindows& windows() { return windows_; }
    TDevice& driver() { return driver_; }

private:
    // First made, last gone: every window and the acquisition thread use it to the end.
    TDevice driver_;
    AppWindows windows_;
    // The main window owns the other windows (they are its children).
    std::unique_ptr<TSDIAppForm> form_;
};

} // namespace varentis
