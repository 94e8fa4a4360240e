#pragma once

#include "measurement/RunControl.h"

#include <functional>
#include <mutex>
#include <string>
#include <variant>
#include <vector>

namespace varentis {

// What a run showed, kept in order until the window takes it on its own thread. The run
// (on the acquisition thread) writes here as into any view; the window replays the events
// into its real view, so every point is drawn once and in order, however busy the window
// was meanwhile.
class RunEventQueue final : public RunView {
public:
    struct LiveSignal {
        std::string text;
        double rawSignal;
    };
    struct ValveMask {
        std::uint16_t mask;
    };
    using Event = std::variant<RunState, RunPoint, LiveSignal, ValveMask>;

    // Called, on the thread that adds it, when an event arrives at an empty queue. It must
    // not block: it only tells the window that there is something to take.
    void setNotify(std::function<void()> notify);

    void runStateChanged(RunState state) override { add(state); }
    void pointTaken(const RunPoint& point) override { add(point); }
    void liveSignal(const std::string& text, double rawSignal) override {
        add(LiveSignal{text, rawSignal});
    }
    void valvesApplied(std::uint16_t mask) override { add(ValveMask{mask}); }

    // Hands every waiting event to `view`, oldest first. Returns how many there were.
    std::size_t replayInto(RunView& view);

private:
    void add(Event event);

    std::mutex mutex_;
    std::vector<Event> events_;
    std::function<void()> notify_;
};

} // namespace varentis
