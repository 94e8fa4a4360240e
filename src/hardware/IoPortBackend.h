#pragma once

#include "hardware/PortBackend.h"

namespace varentis {

// Direct x86 port I/O on 0x378..0x37A (ioperm; needs root or CAP_SYS_RAWIO). On other
// processors, or without permission, the open returns 0 and accesses do nothing.
class IoPortBackend final : public PortBackend {
public:
    ~IoPortBackend() override;
    int openPort() override;
    void closePort() override;
    void writePort(std::uint16_t port, std::uint8_t value) override;
    std::uint8_t readPort(std::uint16_t port) override;

private:
    bool permitted_ = false;
};

} // namespace varentis
