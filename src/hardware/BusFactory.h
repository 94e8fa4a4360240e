#pragma once

#include "hardware/PortBackend.h"
#include "hardware/SimulatedInstrument.h"
#include "hardware/TraceBackend.h"

#include <memory>
#include <string>
#include <string_view>

namespace varentis {

// The backend named on the command line (--bus): "sim" (the default), "ppdev",
// "ppdev:/dev/parportN" or "ioport". An unknown name gives nullptr and a message in *error.
std::unique_ptr<PortBackend> makePortBackend(std::string_view busName, const SimOptions& sim,
                                             std::string* error);

// Wraps `inner` so that every port access is written to the file at `path` (--bus-trace).
// On a file that cannot be created, gives nullptr with a message and destroys nothing:
// `inner` is handed back through the same pointer.
// The trace tells at its finish() whether every line reached the file.
std::unique_ptr<TraceBackend> withBusTrace(std::unique_ptr<PortBackend>& inner,
                                           const std::string& path, std::string* error);

// Reads a --sim-speed FACTOR: a positive number; anything else gives false.
bool parseSimSpeed(std::string_view text, double* factor);

// Reads a --sim-fault LIST, names separated by commas, into the simulator's absent modules
// and faults (added to what `sim` holds). An unknown name gives false and a message in
// *error that lists the names.
bool parseSimFaults(std::string_view list, SimOptions* sim, std::string* error);

// The fault names with what each does, a line each (no line break after the last), for --help.
std::string simFaultHelp();

} // namespace varentis
