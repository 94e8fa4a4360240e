#pragma once

#include "hardware/PortBackend.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

namespace varentis {

// Passes every access on to the backend underneath and writes one line per access:
// "W 378 85" or "R 378 5B" (port in upper-case hex, at least three digits; value as two
// upper-case hex digits). Only installed for --bus-trace, so a run without it pays nothing.
class TraceBackend final : public PortBackend {
public:
    // Writes to `out` (not closed here) and forwards to `inner` (not owned).
    TraceBackend(PortBackend& inner, std::FILE* out);
    // Owns both: the backend underneath and the trace file, which it closes.
    TraceBackend(std::unique_ptr<PortBackend> inner, std::FILE* ownedOut);
    ~TraceBackend() override;

    int openPort() override { return inner_->openPort(); }
    void closePort() override;
    void writePort(std::uint16_t port, std::uint8_t value) override;
    std::uint8_t readPort(std::uint16_t port) override;

    PortBackend& inner() { return *inner_; }

    // Writes out what is buffered and closes a file it owns. The system's message of the
    // first write that failed (a full disk), or nothing when the whole trace was written.
    std::optional<std::string> finish();

private:
    void line(char kind, std::uint16_t port, std::uint8_t value);

    std::unique_ptr<PortBackend> owned_;
    PortBackend* inner_;
    std::FILE* out_;
    bool ownsFile_;
    int writeError_ = 0; // errno of the first failed write
};

// Formats one trace line (with its newline) into `buffer`; returns its length.
std::size_t formatTraceLine(char kind, std::uint16_t port, std::uint8_t value, char (&buffer)[16]);

} // namespace varentis
