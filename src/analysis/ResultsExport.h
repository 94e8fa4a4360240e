#pragma once

#include "analysis/RunResults.h"

#include <string>

// The results as files another program reads: the injections as CSV (one header line, ","
// between fields, "." as decimal point, UTF-8) and the samples with the calibration as JSON.
namespace varentis {

// The unit the signal axis shows: a signal s (A) reads (s - Zero) / Factor in it.
struct SignalUnit {
    std::string Name = "nA";
    double Factor = 1e-9;
    double Zero = 0.0;
};

inline constexpr const char* kResultsCsvHeader =
    "cycle,start_s,sample,concentration,baseline,height,area,peak_time_s,width_s,flag,unit";

std::string resultsCsv(const ResultsTracker& results, const SignalUnit& unit);

// "measure", "unit", "samples" and "calibration"; figures that cannot be had are null.
std::string resultsSummaryJson(const ResultsTracker& results, const SignalUnit& unit);

// The unit of the chosen measure: the signal unit, or the signal unit x s for the area.
std::string measureUnit(ResultMeasure measure, const SignalUnit& unit);

} // namespace varentis
