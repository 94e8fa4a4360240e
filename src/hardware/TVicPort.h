#pragma once

#include <cstdint>

namespace varentis {

// The port-access object: opens and closes the port library. Reads and writes go to the
// process-wide backend and do not depend on this object's state.
class TVicPort {
public:
    TVicPort() = default;
    TVicPort(const TVicPort&) = delete;
    TVicPort& operator=(const TVicPort&) = delete;
    // Closes the library whatever Opened says, as the library allows a repeated close.
    ~TVicPort();

    bool Open();
    void Close();
    static std::uint8_t ReadPort(std::uint16_t port);
    static void WritePort(std::uint16_t port, std::uint8_t value);

    bool Opened = false;
};

} // namespace varentis
