#include "hardware/PortBackend.h"

namespace varentis {

namespace {

// What a PC without the instrument shows: nothing drives the lines, so they read high.
class EmptyBus final : public PortBackend {
public:
    int openPort() override { return 0; }
    void closePort() override {}
    void writePort(std::uint16_t, std::uint8_t) override {}
    std::uint8_t readPort(std::uint16_t) override { return 0xFF; }
};

EmptyBus emptyBus;
PortBackend* current = &emptyBus;

} // namespace

void setPortBackend(PortBackend* backend) { current = backend ? backend : &emptyBus; }

PortBackend& portBackend() { return *current; }

int OpenTVicPort() { return current->openPort(); }
void CloseTVicPort() { current->closePort(); }
void WritePort(std::uint16_t port, std::uint8_t value) { current->writePort(port, value); }
std::uint8_t ReadPort(std::uint16_t port) { return current->readPort(port); }

} // namespace varentis
