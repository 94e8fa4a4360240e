#pragma once

#include "analysis/SampleList.h"

#include <optional>
#include <string>
#include <vector>

// Replicate statistics of the samples of a run and the calibration line of its standards.
// Every figure that cannot be worked out is absent, with a short note saying why, for the
// Results window to show in its place.
namespace varentis {

struct Figure {
    std::optional<double> Value;
    std::string Note; // why Value is absent; empty when it is there
};

// The measure (peak height or area) of one cycle; none when the cycle gave no peak. A NaN or
// infinite measure counts as none. One entry per cycle.
struct CycleMeasure {
    int Cycle = 0;
    std::optional<double> Measure;
};

struct ReplicateStats {
    int N = 0;
    Figure Mean;
    Figure Sd; // n - 1 in the denominator
    Figure RsdPercent;
};

struct SampleResult {
    ReplicateStats Stats;
    // For a sample without a concentration: (mean - intercept) / slope, and the standard
    // error of that x predicted from the mean of its N replicates. Absent for a standard.
    Figure Found;
    Figure FoundSd;
};

struct CalibrationPoint {
    int Cycle = 0;
    double Concentration = 0.0;
    double Measure = 0.0;
    double Residual = 0.0; // measure - line
};

// The least-squares line of every standard injection's measure against its concentration.
struct CalibrationLine {
    double Slope = 0.0;
    double Intercept = 0.0;
    Figure RSquared;
    Figure ResidualSd; // sqrt(sum of squared residuals / (points - 2))
    int Levels = 0;    // distinct concentrations
    std::vector<CalibrationPoint> Points;
};

struct Calibration {
    std::vector<SampleResult> Samples; // one per sample of the list, in its order
    std::optional<CalibrationLine> Line;
    std::string LineNote; // why Line is absent
    Figure BlankSd;       // of every injection at concentration 0
    Figure Lod;           // 3 s(blank) / slope
    Figure Loq;           // 10 s(blank) / slope
};

ReplicateStats replicateStats(const std::vector<double>& values);

// The measures of cycles without a sample in `list` are not used.
Calibration calibrate(const SampleList& list, const std::vector<CycleMeasure>& measures);

} // namespace varentis
