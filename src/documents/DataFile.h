#pragma once

#include "documents/ControlAccess.h"
#include "measurement/PointStore.h"

#include <string>
#include <string_view>

namespace varentis {

// Unit factors of the point columns (to seconds and amperes), as the axis scaling last
// computed them.
struct ColumnFactors {
    double time = 1.0;     // of "X units"
    double signal = 1e-9;  // of "Y units"
    double current = 1e-12; // of "Current units"
    bool operator==(const ColumnFactors&) const = default;
};

// What the writer needs beyond the controls and the points.
struct DataColumns {
    ColumnFactors factors;
    int XDecimals = 2;
    int YDecimals = 2;
    int CurrentDecimals = 3;
    double periodSeconds = 0.1; // the sampling period in force; 0 or less disables the check
};

// Decimals of the time column: at least XDecimals, and enough that consecutive points
// (one period apart) never print the same time. The smallest d >= XDecimals for which
// period / timeUnitFactor × 10^d is whole, or 10^-d is at most a hundredth of the period.
int timeColumnDecimals(int XDecimals, double periodSeconds, double timeUnitFactor);

// The whole data file as bytes: "[Setup]" with its 29 lines, "[Valves]", "[Info]", "[Data]",
// CRLF after every line; Windows-1252 when every character fits, else UTF-8. A program or
// description line that is exactly one of the four section headers is written with a
// blank after it, so that the file reads back as it was written. The evaluation settings,
// when one is set, come as an "[Evaluation]" section between "[Info]" and "[Data]".
std::string writeDataFile(const ControlAccess& controls, const PointStore& points,
                          const DataColumns& columns);

// The file in two parts, as the run journal writes it: the head once (every line up to and
// including "[Data]"), then the data lines as the points come. Head + lines of all points is
// writeDataFile, byte for byte.
std::string dataFileHead(const ControlAccess& controls);

// How the data lines are formatted, fixed by the controls and the axis scaling at the time.
struct DataLineFormat {
    ColumnFactors factors;
    int timeDecimals = 2;
    int YDecimals = 2;
    int CurrentDecimals = 3;
    bool withCurrents = false; // "Using potentiostat" is checked: a third column
    bool operator==(const DataLineFormat&) const = default;
};
DataLineFormat dataLineFormat(const ControlAccess& controls, const DataColumns& columns);

// Appends the data lines of points [from, to) of `points` (clamped to what it holds).
void appendDataLines(std::string& out, const PointStore& points, std::size_t from,
                     std::size_t to, const DataLineFormat& format);

// The number of data lines in a data file's bytes (the lines after "[Data]"); 0 without it.
std::size_t dataLineCount(std::string_view bytes);

// The steps of Open that belong to the main window, called between the reader's passes.
class DataFileReadHooks {
public:
    virtual ~DataFileReadHooks() = default;
    // After the setup pass: the period change handling runs once.
    virtual void applyPeriod() = 0;
    // Before the data pass: the axis scaling is recomputed for the units just loaded.
    virtual ColumnFactors recomputeScaling() = 0;
};

struct DataFileReadResult {
    bool setupFound = false;
    bool valvesFound = false;
    bool infoFound = false;
    bool dataFound = false;
    bool evaluationFound = false; // the evaluation settings were taken into the fields
};

// Reads a data file from its bytes into the controls and the point store, pass by pass:
// setup, period, description, program, data. Never fails: missing sections give no
// settings change, an empty text or no points; unreadable numbers give 0.
DataFileReadResult readDataFile(std::string_view bytes, ControlAccess& controls,
                                PointStore& points, DataFileReadHooks& hooks);

} // namespace varentis
