#include "hardware/TVicPort.h"

#include "hardware/PortBackend.h"

namespace varentis {

TVicPort::~TVicPort() { CloseTVicPort(); }

bool TVicPort::Open() {
    if (Opened) return true;
    Opened = OpenTVicPort() != 0;
    return Opened;
}

void TVicPort::Close() {
    if (!Opened) return;
    CloseTVicPort();
    Opened = false;
}

std::uint8_t TVicPort::ReadPort(std::uint16_t port) { return varentis::ReadPort(port); }

void TVicPort::WritePort(std::uint16_t port, std::uint8_t value) { varentis::WritePort(port, value); }

} // namespace varentis
