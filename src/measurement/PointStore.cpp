#include "measurement/PointStore.h"

#include "core/NumberText.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace varentis {

PointSizing PointSizing::forRun(int capacity, bool withCurrents) {
    PointSizing s;
    s.Capacity = std::max(capacity, 1);
    s.CurrentsLength = withCurrents ? s.Capacity : 0;
    return s;
}

void PointSizing::grow(int increment, bool withCurrents) {
    increment = std::max(increment, 1);
    Capacity = Capacity > INT_MAX - increment ? INT_MAX : Capacity + increment;
    if (withCurrents) CurrentsLength = Capacity;
}

void PointStore::startRun(const PointSizing& sizing) {
    Times.clear();
    Signals.clear();
    Currents.clear();
    static_cast<PointSizing&>(*this) = sizing;
    Count = 0;
    // A long time axis at a short period asks for billions of points; memory is taken as
    // points arrive instead, the vectors growing geometrically.
    constexpr int kMaxReserve = 1 << 20;
    auto reserve = static_cast<std::size_t>(std::min(Capacity, kMaxReserve));
    Times.reserve(reserve);
    Signals.reserve(reserve);
    if (CurrentsLength > 0) Currents.reserve(reserve);
}

void PointStore::assign(std::vector<double> times, std::vector<double> signalValues,
                        std::vector<double> currents) {
    std::size_t n = std::min(times.size(), signalValues.size());
    times.resize(n);
    signalValues.resize(n);
    if (!currents.empty()) currents.resize(n, 0.0);
    Times = std::move(times);
    Signals = std::move(signalValues);
    Currents = std::move(currents);
    Count = static_cast<int>(n);
    Capacity = Count;
    CurrentsLength = Currents.empty() ? 0 : Count;
}

void PointStore::clear() {
    Times.clear();
    Signals.clear();
    Currents.clear();
    static_cast<PointSizing&>(*this) = PointSizing{};
}

void PointStore::compact() {
    Times.shrink_to_fit();
    Signals.shrink_to_fit();
    Currents.shrink_to_fit();
}

void PointStore::appendPoint(double time, double signal, bool storeCurrent, double current) {
    Times.push_back(time);
    Signals.push_back(signal);
    if (storeCurrent) {
        // Points taken before the currents joined keep 0, as a resized array would.
        if (Currents.size() < static_cast<std::size_t>(Count))
            Currents.resize(static_cast<std::size_t>(Count), 0.0);
        Currents.push_back(current);
    } else if (!Currents.empty()) {
        Currents.push_back(0.0);
    }
    ++Count;
}

int runCapacity(double xMaxSeconds, double periodSeconds) {
    return static_cast<int>(
        std::clamp<std::int64_t>(rnd(xMaxSeconds / periodSeconds), 1, INT_MAX));
}

} // namespace varentis
