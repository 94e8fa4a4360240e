#include "app/Application.h"

#include "app/Sdimain.h"

namespace varentis {

Application::Application(const QString& iniPath, PortBackend& bus, Acquisition::Mode mode)
    : driver_(bus), form_(std::make_unique<TSDIAppForm>(iniPath)) {
    windows_.create(form_.get(), driver_);
    form_->attachWindows(windows_, mode);
}

Application::~Application() = default;

} // namespace varentis
