#include "hardware/PpdevBackend.h"

#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace varentis {

namespace {

class SystemPpdevCalls final : public PpdevCalls {
public:
    int open(const char* path) override { return ::open(path, O_RDWR | O_CLOEXEC); }
    int ioctl(int fd, unsigned long request, void* argument) override { return ::ioctl(fd, request, argument); }
    void close(int fd) override { ::close(fd); }
};

constexpr std::uint8_t kControlLines = 0x0F;

} // namespace

std::unique_ptr<PpdevCalls> systemPpdevCalls() { return std::make_unique<SystemPpdevCalls>(); }

PpdevBackend::PpdevBackend(std::string device, std::unique_ptr<PpdevCalls> calls)
    : device_(std::move(device)), calls_(calls ? std::move(calls) : systemPpdevCalls()) {}

PpdevBackend::~PpdevBackend() { closePort(); }

int PpdevBackend::openPort() {
    if (fd_ >= 0) return 1;
    const int fd = calls_->open(device_.c_str());
    if (fd < 0) return 0;
    if (calls_->ioctl(fd, PPCLAIM, nullptr) < 0) {
        calls_->close(fd);
        return 0;
    }
    fd_ = fd;
    // A known state to start from: the PC drives the data lines.
    input_ = true;
    setDirection(false);
    return 1;
}

void PpdevBackend::closePort() {
    if (fd_ < 0) return;
    calls_->ioctl(fd_, PPRELEASE, nullptr);
    calls_->close(fd_);
    fd_ = -1;
}

void PpdevBackend::setDirection(bool input) {
    if (input == input_) return;
    int reverse = input ? 1 : 0;
    calls_->ioctl(fd_, PPDATADIR, &reverse);
    input_ = input;
}

void PpdevBackend::writePort(std::uint16_t port, std::uint8_t value) {
    if (fd_ < 0) return;
    if (port == kDataPort) {
        unsigned char data = value;
        calls_->ioctl(fd_, PPWDATA, &data);
    } else if (port == kControlPort) {
        control_ = value;
        const bool input = (value & kControlDirectionInput) != 0;
        unsigned char lines = value & kControlLines;
        // The lines turn to input before the strobe lets a module drive them, and back to
        // output only after the strobe has ended, so PC and module never drive together.
        if (input) setDirection(true);
        calls_->ioctl(fd_, PPWCONTROL, &lines);
        if (!input) setDirection(false);
    }
}

std::uint8_t PpdevBackend::readPort(std::uint16_t port) {
    if (fd_ < 0) return 0xFF;
    unsigned char value = 0xFF;
    if (port == kDataPort) {
        calls_->ioctl(fd_, PPRDATA, &value);
    } else if (port == kStatusPort) {
        calls_->ioctl(fd_, PPRSTATUS, &value);
    } else if (port == kControlPort) {
        calls_->ioctl(fd_, PPRCONTROL, &value);
        value = static_cast<unsigned char>((value & kControlLines) | (control_ & kControlDirectionInput));
    }
    return value;
}

} // namespace varentis
