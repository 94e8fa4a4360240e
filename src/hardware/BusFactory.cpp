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

struct SimFaultName {
    std::string_view name;
    unsigned absent; // SimModule bits
    unsigned faults; // SimFault bits
    std::string_view meaning;
};

constexpr SimFaultName kSimFaults[]{
    {"no-pmt", SimPmtController | SimPmtAcquisition, 0, "PMT detector absent"},
    {"no-potentiostat", SimPotentiostat | SimPotentiostatAcquisition, 0, "potentiostat absent"},
    {"no-timer", SimTimer, 0, "programmable timer absent"},
    {"no-valves", SimValves, 0, "valve controller absent"},
    {"no-pump", SimPump, 0, "pump controller absent"},
    {"timer-not-counting", 0, SimTimerNotCounting, "the timer does not count"},
    {"timer-not-clearing", 0, SimTimerNotClearing, "the timer cannot be cleared"},
    {"conversion-not-finishing", 0, SimConversionNotFinishing, "the cell current never converts"},
    {"pmt-over-range", 0, SimPmtOverRange, "the PMT detector reads over range"},
};

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}
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

bool parseSimFaults(std::string_view list, SimOptions* sim, std::string* error) {
    SimOptions parsed = sim ? *sim : SimOptions{};
    while (true) {
        const std::size_t comma = list.find(',');
        const std::string_view name = trimmed(list.substr(0, comma));
        if (!name.empty()) {
            const SimFaultName* known = nullptr;
            for (const SimFaultName& f : kSimFaults)
                if (f.name == name) known = &f;
            if (!known) {
                if (error) {
                    *error = "unknown simulated fault \"" + std::string(name) + "\" (expected";
                    for (const SimFaultName& f : kSimFaults) *error += " " + std::string(f.name);
                    *error += ")";
                }
                return false;
            }
            parsed.absentModules |= known->absent;
            parsed.faults |= known->faults;
        }
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
    }
    if (sim) *sim = parsed;
    return true;
}

std::string simFaultHelp() {
    std::string out;
    for (const SimFaultName& f : kSimFaults) {
        if (!out.empty()) out += '\n';
        out += std::string(f.name) + ": " + std::string(f.meaning);
    }
    return out;
}

} // namespace varentis
