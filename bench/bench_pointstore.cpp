// Appending points under the run's growth rule: the store against a naive one that resizes
// its arrays to the logical capacity at every growth.
#include "measurement/PointStore.h"

#include <chrono>
#include <cstdio>
#include <vector>

using namespace varentis;
using Clock = std::chrono::steady_clock;

namespace {

// X max 100 s at 100 ms: the capacity grows by 1000 points each time it is reached.
constexpr int kStep = 1000;

double appendMs(PointStore& store, int n, bool currents) {
    auto t0 = Clock::now();
    store.startRun(kStep, currents);
    for (int i = 0; i < n; ++i) {
        store.append(i * 0.1, i * 1e-12, i * 1e-15);
        if (store.Count == store.Capacity) store.grow(kStep, currents);
    }
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

double naiveMs(int n) {
    auto t0 = Clock::now();
    std::vector<double> times(kStep), signalValues(kStep);
    int capacity = kStep;
    for (int i = 0; i < n; ++i) {
        times[static_cast<std::size_t>(i)] = i * 0.1;
        signalValues[static_cast<std::size_t>(i)] = i * 1e-12;
        if (i + 1 == capacity) {
            capacity += kStep;
            std::vector<double> t(static_cast<std::size_t>(capacity)), s(t.size());
            std::copy(times.begin(), times.end(), t.begin());
            std::copy(signalValues.begin(), signalValues.end(), s.begin());
            times.swap(t);
            signalValues.swap(s);
        }
    }
    volatile double sink = times.back() + signalValues.back();
    (void)sink;
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

void report(const char* what, const PointStore& store, double ms) {
    double n = store.Count;
    double payload = 8.0 * static_cast<double>(store.Times.size() + store.Signals.size() +
                                               store.Currents.size());
    double allocated = 8.0 * static_cast<double>(store.Times.capacity() +
                                                 store.Signals.capacity() +
                                                 store.Currents.capacity());
    std::printf("%-28s %9d points: %8.1f ms (limit 500 ms), %5.1f bytes/point held, "
                "%5.1f allocated\n",
                what, store.Count, ms, payload / n, allocated / n);
}

} // namespace

int main() {
    constexpr int n = 10000000;
    PointStore store;
    double ms = appendMs(store, n, false);
    report("append, signal only", store, ms);
    PointStore withCurrents;
    ms = appendMs(withCurrents, n, true);
    report("append, with currents", withCurrents, ms);

    constexpr int small = 200000;
    PointStore fast;
    double ours = appendMs(fast, small, false);
    double naive = naiveMs(small);
    std::printf("%d points: store %.2f ms, naive resize to each capacity %.2f ms (%.0fx)\n",
                small, ours, naive, naive / ours);
    return 0;
}
