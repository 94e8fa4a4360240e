#pragma once

#include "hardware/PortBackend.h"

#include <memory>
#include <string>

namespace varentis {

// The few system calls the ppdev backend makes, so that a test can record them.
class PpdevCalls {
public:
    virtual ~PpdevCalls() = default;
    virtual int open(const char* path) = 0; // file descriptor, or -1
    virtual int ioctl(int fd, unsigned long request, void* argument) = 0; // -1 on failure
    virtual void close(int fd) = 0;
};

// The real calls (open with O_RDWR, ioctl, close).
std::unique_ptr<PpdevCalls> systemPpdevCalls();

// The parallel port through Linux ppdev (/dev/parportN). The data port goes through
// PPWDATA/PPRDATA, control bits 0..3 through PPWCONTROL, and bit 5 (data direction)
// through PPDATADIR, since the kernel does not let the direction bit through PPWCONTROL.
class PpdevBackend final : public PortBackend {
public:
    explicit PpdevBackend(std::string device = "/dev/parport0",
                          std::unique_ptr<PpdevCalls> calls = systemPpdevCalls());
    ~PpdevBackend() override;

    // 0 when the device is missing, not permitted or claimed by another program.
    int openPort() override;
    void closePort() override;
    void writePort(std::uint16_t port, std::uint8_t value) override;
    std::uint8_t readPort(std::uint16_t port) override;

    const std::string& device() const { return device_; }

private:
    void setDirection(bool input);

    std::string device_;
    std::unique_ptr<PpdevCalls> calls_;
    int fd_ = -1;
    bool input_ = false;
    std::uint8_t control_ = kControlIdle;
};

} // namespace varentis
