#pragma once

#include <vector>

namespace varentis {

// The logical sizes that the run rules give a store: `Count` points held, room for
// `Capacity` (one time axis worth of points, grown by the same amount whenever it is
// reached), and a current kept for point `Count` only while `CurrentsLength` exceeds it
// (the run was started, or the store grown, with the potentiostat in use). The run keeps
// these on its own side; the store in the window follows them point by point.
struct PointSizing {
    int Count = 0;
    int Capacity = 0;
    int CurrentsLength = 0;

    // Start of a run: nothing held, Capacity = capacity (at least 1).
    static PointSizing forRun(int capacity, bool withCurrents);
    bool storesCurrent() const { return CurrentsLength > Count; }
    // Capacity += increment (at least 1); the currents join when withCurrents is set.
    void grow(int increment, bool withCurrents);
};

// The points of one run or of an opened file, as the window holds them.
//
// The vectors underneath hold exactly `Count` entries and grow geometrically, so appending
// is amortised O(1) whatever the rules say about `Capacity`, and memory is 16 bytes per
// point (24 with currents).
class PointStore : public PointSizing {
public:
    std::vector<double> Times;    // s since the start of the run
    std::vector<double> Signals;  // A, raw mean per point
    std::vector<double> Currents; // A; Count entries while currents are in use, else empty

    // Start of a run: empty, with the sizes given.
    void startRun(const PointSizing& sizing);
    void startRun(int capacity, bool withCurrents) {
        startRun(PointSizing::forRun(capacity, withCurrents));
    }
    // Replaces the contents (data file reader). Currents may be empty.
    void assign(std::vector<double> times, std::vector<double> signalValues,
                std::vector<double> currents);
    void clear();
    // Gives back what geometric growth reserved beyond the points held, so a stored run takes
    // 16 bytes per point (24 with currents).
    void compact();

    // Appends a point at index Count; its current is kept when `storeCurrent` is set (points
    // before it that had none keep 0). Sizes other than Count are left to the caller.
    void appendPoint(double time, double signal, bool storeCurrent, double current);
    // Appends a point, keeping its current while the sizing says so.
    void append(double time, double signal, double current = 0.0) {
        appendPoint(time, signal, storesCurrent(), current);
    }

    bool hasCurrents() const { return !Currents.empty(); }
    double currentAt(int i) const {
        return i < static_cast<int>(Currents.size()) ? Currents[static_cast<std::size_t>(i)] : 0.0;
    }
};

// Points in one time axis at the given period: rnd(xMax / period), at least 1 and at most
// the largest int. The run sizes the store with it and grows it by it.
int runCapacity(double xMaxSeconds, double periodSeconds);

} // namespace varentis
