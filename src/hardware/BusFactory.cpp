#include "hardware/BusFactory.h"

#include "core/NumberText.h"
#include "hardware/IoPortBackend.h"
#include "hardware/PpdevBackend.h"
#include "hardware/TraceBackend.h"

#include <cerrno>
#include <cstring>

namespace varentis {

namespace {
constexpr std::string_view kPpdevPrefix = "ppdev:";
constexpr const char* kDefaultPpdevDevice = "/dev/parport0";
} // namespace

std::unique_ptr<PortBackend> makePortBackend(std::string_view busName, const SimOptions& sim,
                                             std::string* error) {
    if (busName.empty() || busName == "sim") return std::make_unique<SimulatedInstrument>(sim);
    if (busName == "ppdev") return std::make_unique<PpdevBackend>(kDefaultPpdevDevice);
    if (busName.starts_with(kPpdevPrefix) && busName.size() > kPpdevPrefix.size())
        return std::make_unique<PpdevBackend>(std::string(busName.substr(kPpdevPrefix.size())));
    if (busName == "ioport") return std::make_unique<IoPortBackend>();
    if (error)
        *error = "unknown bus \"" + std::string(busName) +
                 "\" (expected sim, ppdev, ppdev:DEVICE or ioport)";
    return nullptr;
}

std::unique_ptr<TraceBackend> withBusTrace(std::unique_ptr<PortBackend>& inner,
                                           const std::string& path, std::string* error) {
    if (!inner) {
        if (error) *error = "no bus to trace";
        return nullptr;
    }
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file) {
        if (error) *error = "cannot write bus trace \"" + path + "\": " + std::strerror(errno);
        return nullptr;
    }
    // A large buffer keeps the trace from costing a system call every few accesses.
    std::setvbuf(file, nullptr, _IOFBF, 1 << 16);
    return std::make_unique<TraceBackend>(std::move(inner), file);
}

bool parseSimSpeed(std::string_view text, double* factor) {
    bool valid = false;
    const double value = readNumber(text, &valid);
    if (!valid || !(value > 0)) return false;
    if (factor) *factor = value;
    return true;
}

} // namespace varentis
