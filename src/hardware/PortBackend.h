#pragma once

#include <cstdint>

namespace varentis {

// Parallel-port addresses of the module bus.
inline constexpr std::uint16_t kDataPort = 0x378;
inline constexpr std::uint16_t kControlPort = 0x37A;

// The port-I/O facility under TVicPort: the simulated instrument, Linux ppdev or direct
// x86 port I/O. One backend is installed for the whole process at start.
class PortBackend {
public:
    PortBackend() = default;
    PortBackend(const PortBackend&) = delete;
    PortBackend& operator=(const PortBackend&) = delete;
    virtual ~PortBackend() = default;

    // Non-zero when port I/O will work (the library's OpenTVicPort).
    virtual int openPort() = 0;
    // Harmless when not open and when called twice (CloseTVicPort).
    virtual void closePort() = 0;
    virtual void writePort(std::uint16_t port, std::uint8_t value) = 0;
    virtual std::uint8_t readPort(std::uint16_t port) = 0;
};

// The process-wide backend used by the free port functions below. Never null: until one
// is installed, a backend that reads 0xFF (an empty bus) and ignores writes is in place.
void setPortBackend(PortBackend* backend);
PortBackend& portBackend();

} // namespace varentis
