#include "hardware/IoPortBackend.h"

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define VARENTIS_HAVE_IOPORT 1
#endif

namespace varentis {

namespace {
[[maybe_unused]] constexpr unsigned long kFirstPort = kDataPort;
[[maybe_unused]] constexpr unsigned long kPortCount = kControlPort - kDataPort + 1;
[[maybe_unused]] bool ours(std::uint16_t port) { return port >= kDataPort && port <= kControlPort; }
} // namespace

IoPortBackend::~IoPortBackend() { closePort(); }

int IoPortBackend::openPort() {
#ifdef VARENTIS_HAVE_IOPORT
    if (!permitted_) permitted_ = ioperm(kFirstPort, kPortCount, 1) == 0;
#endif
    return permitted_ ? 1 : 0;
}

void IoPortBackend::closePort() {
#ifdef VARENTIS_HAVE_IOPORT
    if (permitted_) ioperm(kFirstPort, kPortCount, 0);
#endif
    permitted_ = false;
}

// Without permission an in/out instruction would kill the process, so accesses are
// dropped instead, as with any other backend that failed to open.
void IoPortBackend::writePort(std::uint16_t port, std::uint8_t value) {
#ifdef VARENTIS_HAVE_IOPORT
    if (permitted_ && ours(port)) outb(value, port);
#else
    (void)port;
    (void)value;
#endif
}

std::uint8_t IoPortBackend::readPort(std::uint16_t port) {
#ifdef VARENTIS_HAVE_IOPORT
    if (permitted_ && ours(port)) return inb(port);
#else
    (void)port;
#endif
    return 0xFF;
}

} // namespace varentis
