#include "measurement/RunEventQueue.h"

namespace varentis {

void RunEventQueue::setNotify(std::function<void()> notify) {
    std::lock_guard lock(mutex_);
    notify_ = std::move(notify);
}

void RunEventQueue::add(Event event) {
    std::function<void()> notify;
    {
        std::lock_guard lock(mutex_);
        if (events_.empty()) notify = notify_;
        events_.push_back(std::move(event));
    }
    if (notify) notify();
}

std::size_t RunEventQueue::replayInto(RunView& view) {
    std::vector<Event> events;
    {
        std::lock_guard lock(mutex_);
        events.swap(events_);
    }
    struct Replay {
        RunView& view;
        void operator()(RunState s) const { view.runStateChanged(s); }
        void operator()(const RunPoint& p) const { view.pointTaken(p); }
        void operator()(const LiveSignal& l) const { view.liveSignal(l.text, l.rawSignal); }
        void operator()(const ValveMask& v) const { view.valvesApplied(v.mask); }
    };
    for (const Event& e : events) std::visit(Replay{view}, e);
    return events.size();
}

} // namespace varentis
