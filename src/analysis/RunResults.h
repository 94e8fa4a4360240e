#pragma once

#include "analysis/Calibration.h"
#include "analysis/EvaluationSettings.h"
#include "analysis/Injections.h"
#include "analysis/PeakEvaluation.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// The results of a run or of an opened file: one row per injection, evaluated as its cycle
// completes, and the samples' statistics and calibration from those rows.
namespace varentis {

struct InjectionRow {
    Injection Cycle;
    InjectionResult Result;
    std::optional<std::size_t> Sample; // index in the setup's sample list
};

// The measure of a row for the statistics: none while the cycle is incomplete or a point is
// over range, since neither gives the sample's true peak. A "no peak" row keeps its value: a
// blank is expected to have none, and its spread is what the detection limit is made of.
std::optional<double> measureOf(const InjectionRow& row, ResultMeasure measure);

// The row's marks as one text, "" when there is none: "incomplete", "over range",
// "no peak", "no baseline", "window clamped", joined by "; ".
std::string flagText(const InjectionResult& result);

class ResultsTracker {
  public:
    // Starts over for the points of a run or file of the given cycle time; the over-range
    // limit is the signal (A) at the converter's end.
    void reset(const EvaluationSetup& setup, double cycleTime, double overRangeLimit);

    // Evaluates what the first `count` points add: new cycles, and the last cycle again
    // while it grows. A count below what was read before (a new run in the same store)
    // starts over. Gives the index of the first row that changed (rows().size() if none).
    std::size_t update(const std::vector<double>& times, const std::vector<double>& signals,
                       int count);

    const std::vector<InjectionRow>& rows() const { return rows_; }
    const EvaluationSetup& setup() const { return setup_; }
    double cycleTime() const { return cycleTime_; }
    // Statistics and calibration of the rows so far.
    Calibration calibration() const;

  private:
    EvaluationSetup setup_;
    double cycleTime_ = 0.0;
    double overRangeLimit_ = 0.0;
    InjectionCutter cutter_{0.0};
    std::vector<InjectionRow> rows_;
};

} // namespace varentis
