#pragma once

#include <vector>

namespace varentis {

// The points of one run or of an opened file.
//
// `Capacity` is the logical size the run rules give (one time axis worth of points, grown
// by the same amount whenever it is reached). The vectors underneath hold exactly `Count`
// entries and grow geometrically, so appending is amortised O(1) whatever the rules say,
// and memory is 16 bytes per point (24 with currents).
class PointStore {
public:
    std::vector<double> Times;    // s since the start of the run
    std::vector<double> Signals;  // A, raw mean per point
    std::vector<double> Currents; // A; Count entries while currents are in use, else empty
    int Count = 0;
    int Capacity = 0;
    // Logical length of Currents: a current is stored for point Count only while this
    // exceeds Count (the run was started, or the store grown, with the potentiostat in use).
    int CurrentsLength = 0;

    // Start of a run: empty, Capacity = capacity (at least 1).
    void startRun(int capacity, bool withCurrents);
    // Replaces the contents (data file reader). Currents may be empty.
    void assign(std::vector<double> times, std::vector<double> signalValues,
                std::vector<double> currents);
    void clear();
    // Gives back what geometric growth reserved beyond the points held, so a stored run takes
    // 16 bytes per point (24 with currents).
    void compact();

    // Appends a point at index Count. The current is kept only while CurrentsLength > Count.
    void append(double time, double signal, double current = 0.0);
    // Capacity += increment (at least 1); the currents join when withCurrents is set.
    void grow(int increment, bool withCurrents);

    bool hasCurrents() const { return !Currents.empty(); }
    double currentAt(int i) const {
        return i < static_cast<int>(Currents.size()) ? Currents[static_cast<std::size_t>(i)] : 0.0;
    }
};

// Points in one time axis at the given period: rnd(xMax / period), at least 1 and at most
// the largest int. The run sizes the store with it and grows it by it.
int runCapacity(double xMaxSeconds, double periodSeconds);

} // namespace varentis
