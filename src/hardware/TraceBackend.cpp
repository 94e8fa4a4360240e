#include "hardware/TraceBackend.h"

#include <cerrno>
#include <cstring>

namespace varentis {

namespace {
constexpr char kHex[] = "0123456789ABCDEF";
}

std::size_t formatTraceLine(char kind, std::uint16_t port, std::uint8_t value, char (&buffer)[16]) {
    std::size_t n = 0;
    buffer[n++] = kind;
    buffer[n++] = ' ';
    int digits = 3;
    while (digits < 4 && (port >> (4 * digits)) != 0) ++digits;
    for (int d = digits - 1; d >= 0; --d) buffer[n++] = kHex[(port >> (4 * d)) & 0xF];
    buffer[n++] = ' ';
    buffer[n++] = kHex[value >> 4];
    buffer[n++] = kHex[value & 0xF];
    buffer[n++] = '\n';
    return n;
}

TraceBackend::TraceBackend(PortBackend& inner, std::FILE* out)
    : inner_(&inner), out_(out), ownsFile_(false) {}

TraceBackend::TraceBackend(std::unique_ptr<PortBackend> inner, std::FILE* ownedOut)
    : owned_(std::move(inner)), inner_(owned_.get()), out_(ownedOut), ownsFile_(true) {}

TraceBackend::~TraceBackend() { finish(); }

std::optional<std::string> TraceBackend::finish() {
    if (out_) {
        if (std::fflush(out_) != 0 && writeError_ == 0) writeError_ = errno ? errno : EIO;
        if (ownsFile_ && std::fclose(out_) != 0 && writeError_ == 0)
            writeError_ = errno ? errno : EIO;
        out_ = nullptr;
    }
    if (writeError_ != 0) return std::string(std::strerror(writeError_));
    return std::nullopt;
}

void TraceBackend::closePort() {
    inner_->closePort();
    // Whatever happens after the port is closed, the trace so far is on disk.
    if (out_ && std::fflush(out_) != 0 && writeError_ == 0) writeError_ = errno ? errno : EIO;
}

void TraceBackend::line(char kind, std::uint16_t port, std::uint8_t value) {
    if (!out_) return;
    char buffer[16];
    const std::size_t n = formatTraceLine(kind, port, value, buffer);
    if (std::fwrite(buffer, 1, n, out_) != n && writeError_ == 0)
        writeError_ = errno ? errno : EIO;
}

void TraceBackend::writePort(std::uint16_t port, std::uint8_t value) {
    inner_->writePort(port, value);
    line('W', port, value);
}

std::uint8_t TraceBackend::readPort(std::uint16_t port) {
    const std::uint8_t value = inner_->readPort(port);
    line('R', port, value);
    return value;
}

} // namespace varentis
