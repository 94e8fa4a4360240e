#pragma once

#include <cstdint>

namespace varentis {

// What the run view needs of the window beyond the read-out panels, which it reaches by
// name: the commands a run state allows and the valve boxes.
class RunWindow {
public:
    virtual ~RunWindow() = default;

    // Run, Pause and Stop (buttons and menu items alike) and the device test.
    virtual void enableRunCommands(bool run, bool pause, bool stop, bool deviceTest) = 0;
    // The valve boxes V1 .. V12 show bits 0 .. 11 of `mask`.
    virtual void showValves(std::uint16_t mask) = 0;
};

} // namespace varentis
