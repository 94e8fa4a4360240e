#include "analysis/RunResults.h"

#include <cmath>

namespace varentis {

std::optional<double> measureOf(const InjectionRow& row, ResultMeasure measure) {
    const InjectionResult& r = row.Result;
    if (r.Incomplete || r.OverRange || r.PeakPoints == 0) return std::nullopt;
    const double v = measure == ResultMeasure::Area ? r.Area : r.Height;
    if (!std::isfinite(v)) return std::nullopt;
    return v;
}

std::string flagText(const InjectionResult& r) {
    std::string out;
    auto add = [&](bool set, const char* word) {
        if (!set) return;
        if (!out.empty()) out += "; ";
        out += word;
    };
    add(r.Incomplete, "incomplete");
    add(r.OverRange, "over range");
    add(r.NoPeak, "no peak");
    add(r.NoBaseline, "no baseline");
    add(r.WindowsClamped, "window clamped");
    return out;
}

void ResultsTracker::reset(const EvaluationSetup& setup, double cycleTime, double overRangeLimit) {
    setup_ = setup;
    cycleTime_ = cycleTime;
    overRangeLimit_ = overRangeLimit;
    cutter_ = InjectionCutter(cycleTime);
    rows_.clear();
}

std::size_t ResultsTracker::update(const std::vector<double>& times,
                                   const std::vector<double>& signals, int count) {
    if (count < cutter_.scanned()) reset(setup_, cycleTime_, overRangeLimit_);
    const std::size_t changed = cutter_.feed(times, count);
    const auto& injections = cutter_.injections();
    rows_.resize(injections.size());
    for (std::size_t i = changed; i < injections.size(); ++i) {
        InjectionRow& row = rows_[i];
        row.Cycle = injections[i];
        row.Result = evaluate(row.Cycle, times, signals, setup_.Windows, overRangeLimit_);
        row.Sample = sampleOfCycle(setup_.Samples, row.Cycle.Cycle + 1);
    }
    return changed;
}

Calibration ResultsTracker::calibration() const {
    std::vector<CycleMeasure> measures;
    measures.reserve(rows_.size());
    for (const InjectionRow& row : rows_)
        measures.push_back({row.Cycle.Cycle + 1, measureOf(row, setup_.Measure)});
    return calibrate(setup_.Samples, measures);
}

} // namespace varentis
