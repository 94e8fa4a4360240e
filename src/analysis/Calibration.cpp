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

// The line, with the centred sums that the error of a concentration read off it needs.
struct Fit {
    CalibrationLine Line;
    double Points = 0.0, YMean = 0.0, Sxx = 0.0;
};

Fit fitLine(std::vector<CalibrationPoint> points, int levels) {
    Fit fit;
    CalibrationLine& line = fit.Line;
    line.Levels = levels;
    std::vector<double> x, y;
    for (const CalibrationPoint& p : points) {
        x.push_back(p.Concentration);
        y.push_back(p.Measure);
    }
    fit.Points = static_cast<double>(points.size());
    const double xMean = meanOf(x);
    // Equal measures centre to exact zeros, so that their line has slope 0 exactly.
    fit.YMean = allEqual(y) ? y.front() : meanOf(y);
    fit.Sxx = centredSquares(x, xMean);
    double sxy = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) sxy += (x[i] - xMean) * (y[i] - fit.YMean);
    const double syy = centredSquares(y, fit.YMean);
    line.Slope = sxy / fit.Sxx;
    line.Intercept = fit.YMean - line.Slope * xMean;
    double squares = 0.0;
    for (CalibrationPoint& p : points) {
        p.Residual = (p.Measure - fit.YMean) - line.Slope * (p.Concentration - xMean);
        squares += p.Residual * p.Residual;
    }
    if (syy == 0.0)
        line.RSquared = absent("one measure throughout");
    else
        line.RSquared.Value = sxy / fit.Sxx * (sxy / syy);
    if (points.size() > 2)
        line.ResidualSd.Value = std::sqrt(squares / (fit.Points - 2.0));
    else
        line.ResidualSd = absent("only two points");
    line.Points = std::move(points);
    return fit;
}

// The concentration of a sample's mean read off a line of non-zero slope, with the standard
// error of an x predicted from the mean of its replicates.
void foundConcentration(const Fit& fit, SampleResult& r) {
    const CalibrationLine& line = fit.Line;
    const double mean = *r.Stats.Mean.Value;
    r.Found.Value = (mean - line.Intercept) / line.Slope;
    if (!line.ResidualSd.Value) {
        r.FoundSd = absent(line.ResidualSd.Note);
        return;
    }
    const double offset = (mean - fit.YMean) / line.Slope;
    r.FoundSd.Value = *line.ResidualSd.Value / std::fabs(line.Slope) *
                      std::sqrt(1.0 / r.Stats.N + 1.0 / fit.Points + offset * offset / fit.Sxx);
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
    std::optional<Fit> fit;
    std::string slopeNote;
    if (levels.size() < 2) {
        result.LineNote = points.empty() ? "no standard measured" : "fewer than two levels";
        slopeNote = "no calibration line";
    } else {
        fit = fitLine(std::move(points), static_cast<int>(levels.size()));
        if (fit->Line.Slope == 0.0) slopeNote = "slope 0";
    }

    for (std::size_t i = 0; i < count; ++i) {
        SampleResult& r = result.Samples[i];
        if (list.Samples[i].Concentration)
            r.Found = r.FoundSd = absent("a standard");
        else if (!slopeNote.empty() || !r.Stats.Mean.Value)
            r.Found = r.FoundSd = absent(slopeNote.empty() ? r.Stats.Mean.Note : slopeNote);
        else
            foundConcentration(*fit, r);
    }
    if (fit) result.Line = std::move(fit->Line);

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
