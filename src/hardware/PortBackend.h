#pragma once

#include <cstdint>

namespace varentis {

// Parallel-port addresses of the module bus.
inline constexpr std::uint16_t kDataPort = 0x378;
inline constexpr std::uint16_t kStatusPort = 0x379;
inline constexpr std::uint16_t kControlPort = 0x37A;

// Control-port values of the strobe sequences. Bit 5 turns the data lines into inputs.
inline constexpr std::uint8_t kControlIdle = 0x0C;
inline constexpr std::uint8_t kControlAddressStrobe = 0x04; // SelectIn pulse
inline constexpr std::uint8_t kControlDataStrobe = 0x08;    // Init pulse
inline constexpr std::uint8_t kControlReadSelect = 0x2E;
inline constexpr std::uint8_t kControlReadStrobe = 0x2A;
inline constexpr std::uint8_t kControlDirectionInput = 0x20;

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
// Passing nullptr puts the empty bus back.
void setPortBackend(PortBackend* backend);
PortBackend& portBackend();

// The port library's four entry points, on the process-wide backend.
int OpenTVicPort();
void CloseTVicPort();
void WritePort(std::uint16_t port, std::uint8_t value);
std::uint8_t ReadPort(std::uint16_t port);

} // namespace varentis
