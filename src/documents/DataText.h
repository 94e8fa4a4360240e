#pragma once

#include "measurement/PointStore.h"

#include <string>

namespace varentis {

// How the points are written as text: the time and signal columns of the data file.
struct DataTextColumns {
    double timeUnitFactor = 1.0;    // of "X units"
    double signalUnitFactor = 1e-9; // of "Y units"
    int timeDecimals = 2;
    int signalDecimals = 2;
    std::string timeUnit = "s";    // text of the time unit list
    std::string signalUnit = "nA"; // text of the signal unit list
};

// The points as tab-separated text for reading and copying: a header line "Point nr",
// "Time [unit]", "Signal [unit]", then one line per point, every point from 0 to Count - 1
// with its zero-based number, its time and its raw signal (zero line not taken off). Lines
// are separated by "\n", with none after the last. Without points the text is "No data".
std::string dataText(const PointStore& points, const DataTextColumns& columns);

} // namespace varentis
