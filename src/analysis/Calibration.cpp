#include "analysis/Calibration.h"

#include <cmath>
#include <set>

namespace varentis {
namespace {

Figure absent(std::string note) { return {std::nullopt, std::move(note)}; }

double meanOf(const std::vector<double>& values) {
    double sum = 0.0;
    for (const double v : values) sum += v;
    return sum / static_cast<double>(values.size());
}

// Squares about the mean, not the sum of squares less n mean^2: measures far from 0 (a peak
// area of 1e9 counts varying by units) would lose every digit of their scatter the other way.
double centredSquares(const std::vector<double>& values, double mean) {
    double sum = 0.0;
    for (const double v : values) sum += (v - mean) * (v - mean);
    return sum;
}

bool allEqual(const std::vector<double>& values) {
    for (const double v : values)
        if (v != values.front()) return false;
    return true;
}

} // namespace

ReplicateStats replicateStats(const std::vector<double>& values) {
    ReplicateStats stats;
    stats.N = static_cast<int>(values.size());
    if (values.empty()) {
        stats.Mean = absent("no measure");
        stats.Sd = absent("no measure");
        stats.RsdPercent = absent("no measure");
        return stats;
    }
    // Equal replicates have SD 0 and their own value as mean, whatever the roundings.
    const double mean = allEqual(values) ? values.front() : meanOf(values);
    stats.Mean.Value = mean;
    if (values.size() < 2) {
        stats.Sd = absent("one injection");
        stats.RsdPercent = absent("one injection");
        return stats;
    }
    const double sd =
        allEqual(values) ? 0.0 : std::sqrt(centredSquares(values, mean) / (stats.N - 1.0));
    stats.Sd.Value = sd;
    if (mean == 0.0)
        stats.RsdPercent = absent("mean 0");
    else
        stats.RsdPercent.Value = 100.0 * sd / std::fabs(mean);
    return stats;
}

Calibration calibrate(const SampleList& list, const std::vector<CycleMeasure>& measures) {
    Calibration result;
    const std::size_t count = list.Samples.size();
    std::vector<std::vector<double>> values(count);
    std::vector<CalibrationPoint> points;
    std::vector<double> blank;
    for (const CycleMeasure& m : measures) {
        const std::optional<std::size_t> sample = sampleOfCycle(list, m.Cycle);
        if (!sample || !m.Measure || !std::isfinite(*m.Measure)) continue;
        values[*sample].push_back(*m.Measure);
        const std::optional<double>& concentration = list.Samples[*sample].Concentration;
        if (!concentration) continue;
        points.push_back({m.Cycle, *concentration, *m.Measure, 0.0});
        if (*concentration == 0.0) blank.push_back(*m.Measure);
    }
    result.Samples.resize(count);
    for (std::size_t i = 0; i < count; ++i) result.Samples[i].Stats = replicateStats(values[i]);

    std::set<double> levels;
    for (const CalibrationPoint& p : points) levels.insert(p.Concentration);
    std::string slopeNote;
    if (levels.size() < 2) {
        result.LineNote = points.empty() ? "no standard measured" : "fewer than two levels";
        slopeNote = "no calibration line";
    } else {
        CalibrationLine line;
        line.Levels = static_cast<int>(levels.size());
        std::vector<double> x, y;
        for (const CalibrationPoint& p : points) {
            x.push_back(p.Concentration);
            y.push_back(p.Measure);
        }
        const double n = static_cast<double>(points.size());
        const double xMean = meanOf(x);
        const double yMean = allEqual(y) ? y.front() : meanOf(y);
        const double sxx = centredSquares(x, xMean);
        double sxy = 0.0;
        for (std::size_t i = 0; i < x.size(); ++i) sxy += (x[i] - xMean) * (y[i] - yMean);
        const double syy = centredSquares(y, yMean);
        line.Slope = sxy / sxx;
        line.Intercept = yMean - line.Slope * xMean;
        double squares = 0.0;
        for (CalibrationPoint& p : points) {
            p.Residual = (p.Measure - yMean) - line.Slope * (p.Concentration - xMean);
            squares += p.Residual * p.Residual;
        }
        if (syy == 0.0)
            line.RSquared = absent("one measure throughout");
        else
            line.RSquared.Value = sxy / sxx * (sxy / syy);
        if (points.size() > 2)
            line.ResidualSd.Value = std::sqrt(squares / (n - 2.0));
        else
            line.ResidualSd = absent("only two points");
        if (line.Slope == 0.0) slopeNote = "slope 0";
        line.Points = std::move(points);

        for (std::size_t i = 0; i < count; ++i) {
            SampleResult& r = result.Samples[i];
            if (list.Samples[i].Concentration) {
                r.Found = r.FoundSd = absent("a standard");
                continue;
            }
            if (!slopeNote.empty()) {
                r.Found = r.FoundSd = absent(slopeNote);
                continue;
            }
            if (!r.Stats.Mean.Value) {
                r.Found = r.FoundSd = absent(r.Stats.Mean.Note);
                continue;
            }
            const double mean = *r.Stats.Mean.Value;
            r.Found.Value = (mean - line.Intercept) / line.Slope;
            if (!line.ResidualSd.Value) {
                r.FoundSd = absent(line.ResidualSd.Note);
                continue;
            }
            const double offset = (mean - yMean) / line.Slope;
            r.FoundSd.Value = *line.ResidualSd.Value / std::fabs(line.Slope) *
                              std::sqrt(1.0 / r.Stats.N + 1.0 / n + offset * offset / sxx);
        }
        result.Line = std::move(line);
    }
    if (!result.Line) {
        for (std::size_t i = 0; i < count; ++i)
            if (!list.Samples[i].Concentration)
                result.Samples[i].Found = result.Samples[i].FoundSd = absent(slopeNote);
            else
                result.Samples[i].Found = result.Samples[i].FoundSd = absent("a standard");
    }

    if (blank.empty())
        result.BlankSd = absent("no blank");
    else if (blank.size() < 2)
        result.BlankSd = absent("one blank injection");
    else
        result.BlankSd = replicateStats(blank).Sd;
    if (!result.BlankSd.Value) {
        result.Lod = result.Loq = absent(result.BlankSd.Note);
    } else if (!slopeNote.empty()) {
        result.Lod = result.Loq = absent(slopeNote);
    } else {
        const double slope = std::fabs(result.Line->Slope);
        result.Lod.Value = 3.0 * *result.BlankSd.Value / slope;
        result.Loq.Value = 10.0 * *result.BlankSd.Value / slope;
    }
    return result;
}

} // namespace varentis
