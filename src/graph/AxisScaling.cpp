#include "graph/AxisScaling.h"

#include "core/NumberText.h"
#include "core/Units.h"

#include <cmath>
#include <limits>

namespace varentis {

namespace {

constexpr int kDefaultTimeUnit = 0;    // s
constexpr int kDefaultSignalUnit = 1;  // nA
constexpr int kDefaultCurrentUnit = 0; // pA
constexpr double kDefaultXSpan = 100.0;   // s, the default time axis 0 .. 100 s
constexpr double kDefaultYSpan = 100e-9;  // A, the default signal axis 0 .. 100 nA

bool usable(double v) { return std::isfinite(v) && v != 0.0; }

// Limits lo .. hi in base units with their pixel scale, or nothing when they cannot give a
// drawable axis (equal, or so wide or narrow that the scale is not a finite number).
struct Axis {
    double min;
    double max;
    double scale;
};

std::optional<Axis> makeAxis(double lo, double hi, double factor, int pixels) {
    if (lo == hi) return std::nullopt;
    double min = lo * factor;
    double max = hi * factor;
    double span = max - min;
    if (!std::isfinite(min) || !std::isfinite(max) || !usable(span)) return std::nullopt;
    double scale = pixels / span;
    if (!std::isfinite(scale)) return std::nullopt;
    return Axis{min, max, scale};
}

double finiteOr(double v, double fallback) { return std::isfinite(v) ? v : fallback; }

} // namespace

std::uint8_t axisDecimals(double lo, double hi, int magnitudeLimit, int spanLimit) {
    double m = std::max(std::fabs(lo), std::fabs(hi));
    if (!usable(m)) return 3;
    int d = 3;
    if (m > 10) {
        do {
            m /= 10;
            --d;
        } while (m > 10 && d != 0);
    }
    if (m <= 1) {
        do {
            m *= 10;
            ++d;
        } while (m <= 1 && d < magnitudeLimit);
    }
    double r = std::fabs(hi - lo) / std::max(std::fabs(lo), std::fabs(hi));
    if (r < 0.1) {
        do {
            r *= 10;
            ++d;
        } while (r < 0.1 && d < spanLimit);
    }
    return static_cast<std::uint8_t>(d);
}

ScaleResult XYFactors(const ScaleSettings& settings, int width, int height,
                      const GraphScale& previous) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    ScaleResult result;
    GraphScale& s = result.Scale;
    s = previous;
    // Equal limits keep the previous pixel scale and unit; before any scaling those are the
    // default axes', so the first scaling never divides by a zero span.
    if (!std::isfinite(s.XScale) || s.XScale == 0.0) s.XScale = width / kDefaultXSpan;
    if (!usable(s.XUnitFactor)) s.XUnitFactor = TimeUnits[kDefaultTimeUnit].factor;
    if (!std::isfinite(s.YScale) || s.YScale == 0.0) s.YScale = height / kDefaultYSpan;
    if (!usable(s.YUnitFactor)) s.YUnitFactor = CurrentUnits[kDefaultSignalUnit].factor;
    if (!std::isfinite(s.ZeroLine)) s.ZeroLine = 0.0;

    // Time axis. Decimals are taken from the typed values: dividing the base-unit limits
    // by the factor again would turn 10 into 10.000000000000002.
    double a = readNumber(settings.XMin);
    double b = readNumber(settings.XMax);
    s.XMin = 0.0;
    s.XMax = 1.0;
    double xFactor = unitFactor(TimeUnits, settings.XUnits, kDefaultTimeUnit);
    if (auto axis = makeAxis(a, b, xFactor, width)) {
        s.XUnitFactor = xFactor;
        s.XMin = axis->min;
        s.XMax = axis->max;
        s.XScale = axis->scale;
        result.Label7 = settings.XMin;
        result.Label8 = settings.XMax;
        s.XDecimals = axisDecimals(a, b, 5, 10);
    } else {
        s.XDecimals = axisDecimals(s.XMin / s.XUnitFactor, s.XMax / s.XUnitFactor, 5, 10);
    }

    // Signal axis.
    a = readNumber(settings.YMin);
    b = readNumber(settings.YMax);
    s.YMin = 0.0;
    s.YMax = 1.0;
    double yFactor = unitFactor(CurrentUnits, settings.YUnits, kDefaultSignalUnit);
    if (auto axis = makeAxis(a, b, yFactor, height)) {
        s.YUnitFactor = yFactor;
        s.YMin = axis->min;
        s.YMax = axis->max;
        s.YScale = axis->scale;
        result.Label6 = settings.YMin;
        result.Label5 = settings.YMax;
        s.YDecimals = axisDecimals(a, b, 6, 5);
    } else {
        s.YDecimals = axisDecimals(s.YMin / s.YUnitFactor, s.YMax / s.YUnitFactor, 6, 5);
    }

    // With the zero line of the previous scaling, as the detector range has always been
    // chosen; the new zero line follows below.
    s.SignalRangeMagnitude =
        finiteOr(std::max(std::fabs(s.YMin - s.ZeroLine), std::fabs(s.YMax + s.ZeroLine)),
                 std::numeric_limits<double>::max());

    // Potential axis, typed in mV.
    s.PotMin = -1.0;
    s.PotMax = 1.0;
    if (auto axis = makeAxis(readNumber(settings.PotentialMin) / 1000.0,
                             readNumber(settings.PotentialMax) / 1000.0, 1.0, height)) {
        s.PotMin = axis->min;
        s.PotMax = axis->max;
    }
    s.PotScale = height / (s.PotMax - s.PotMin);

    // Cell-current axis.
    s.CurMin = -1.0;
    s.CurMax = 1.0;
    s.CurUnitFactor = unitFactor(CurrentUnits, settings.CurrentUnits, kDefaultCurrentUnit);
    if (auto axis = makeAxis(readNumber(settings.CurrentMin), readNumber(settings.CurrentMax),
                             s.CurUnitFactor, height)) {
        s.CurMin = axis->min;
        s.CurMax = axis->max;
    }
    s.CurScale = height / (s.CurMax - s.CurMin);
    s.CurrentRangeMagnitude = std::fabs(s.CurMin) >= std::fabs(s.CurMax) ? std::fabs(s.CurMin)
                                                                         : std::fabs(s.CurMax);
    s.CurrentDecimals = 3;

    s.ZeroLine = readNumber(settings.Zero) * s.YUnitFactor;
    return result;
}

double dampingFactor(const std::string& damping, int dampingUnits, double periodSeconds) {
    enum { Percent = 0, Milliseconds = 1, Seconds = 2 };
    double d = readNumber(damping);
    double f;
    switch (dampingUnits) {
    case Milliseconds:
        f = d > 0 ? std::exp(-1000.0 * periodSeconds / d) : d;
        break;
    case Seconds:
        f = d > 0 ? std::exp(-periodSeconds / d) : d;
        break;
    default:
        f = d / 100.0;
        break;
    }
    if (!(f >= 0.0)) return 0.0; // also NaN
    if (f > 1.0) return 1.0;
    return f;
}

} // namespace varentis
