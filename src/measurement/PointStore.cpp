#include "measurement/PointStore.h"

#include <algorithm>
#include <utility>

namespace varentis {

void PointStore::startRun(int capacity, bool withCurrents) {
    Times.clear();
    Signals.clear();
    Currents.clear();
    Count = 0;
    Capacity = std::max(capacity, 1);
    CurrentsLength = withCurrents ? Capacity : 0;
    Times.reserve(static_cast<std::size_t>(Capacity));
    Signals.reserve(static_cast<std::size_t>(Capacity));
    if (withCurrents) Currents.reserve(static_cast<std::size_t>(Capacity));
}

void PointStore::assign(std::vector<double> times, std::vector<double> signals,
                        std::vector<double> currents) {
    std::size_t n = std::min(times.size(), signals.size());
    times.resize(n);
    signals.resize(n);
    if (!currents.empty()) currents.resize(n, 0.0);
    Times = std::move(times);
    Signals = std::move(signals);
    Currents = std::move(currents);
    Count = static_cast<int>(n);
    Capacity = Count;
    CurrentsLength = Currents.empty() ? 0 : Count;
}

void PointStore::clear() {
    Times.clear();
    Signals.clear();
    Currents.clear();
    Count = 0;
    Capacity = 0;
    CurrentsLength = 0;
}

void PointStore::append(double time, double signal, double current) {
    Times.push_back(time);
    Signals.push_back(signal);
    if (CurrentsLength > Count) {
        // Points taken before the currents joined keep 0, as a resized array would.
        if (Currents.size() < static_cast<std::size_t>(Count))
            Currents.resize(static_cast<std::size_t>(Count), 0.0);
        Currents.push_back(current);
    } else if (!Currents.empty()) {
        Currents.push_back(0.0);
    }
    ++Count;
}

void PointStore::grow(int increment, bool withCurrents) {
    Capacity += std::max(increment, 1);
    if (withCurrents) CurrentsLength = Capacity;
}

} // namespace varentis
