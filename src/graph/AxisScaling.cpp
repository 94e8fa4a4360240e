#include "graph/AxisScaling.h"

#include "core/Decimal.h"
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

struct ExactLimits {
    Decimal min;
    Decimal max;
};

// The fields of one of the two main axes inside GraphScale.
struct AxisFields {
    double& min;
    double& max;
    double& scale;
    double& unitFactor;
    std::uint8_t& decimals;
};

// Scales the time or the signal axis from its typed limits. Equal limits fall back to
// 0 .. 1 and keep the previous pixel scale and unit; true when the limits were taken, so
// the axis captions show them. Decimals are taken from the typed values: dividing the
// base-unit limits by the factor again would turn 10 into 10.000000000000002.
// The limits it took are also left in `exact`, in base units, as the decimals the texts
// and the unit factor give.
bool scaleAxis(AxisFields axis, const std::string& minText, const std::string& maxText,
               double factor, int pixels, int magnitudeLimit, int spanLimit,
               ExactLimits& exact) {
    const DecimalText a = readDecimal(minText);
    const DecimalText b = readDecimal(maxText);
    axis.min = 0.0;
    axis.max = 1.0;
    exact = {Decimal{0, 0}, Decimal{1, 0}};
    if (auto scaled = makeAxis(a.Value, b.Value, factor, pixels)) {
        axis.unitFactor = factor;
        axis.min = scaled->min;
        axis.max = scaled->max;
        axis.scale = scaled->scale;
        axis.decimals = axisDecimals(a.Number, b.Number, magnitudeLimit, spanLimit);
        const Decimal unit = decimalOf(factor);
        exact = {multiply(a.Number, unit), multiply(b.Number, unit)};
        return true;
    }
    axis.decimals = axisDecimals(axis.min / axis.unitFactor, axis.max / axis.unitFactor,
                                 magnitudeLimit, spanLimit);
    return false;
}

// The larger of |YMin - zero| and |YMax + zero|, worked out on the decimals, so that an
// axis typed as 0 .. 100 nA gives the double of 1e-7 A (100 x 1e-9 lies above it).
double signalRangeMagnitude(const GraphScale& s, const ExactLimits& y) {
    const Decimal zero = decimalNear(s.ZeroLine);
    const Decimal low = absolute(add(y.min, negate(zero)));
    const Decimal high = absolute(add(y.max, zero));
    if (const std::optional<int> order = compare(low, high))
        return finiteOr(toDouble(*order < 0 ? high : low), std::numeric_limits<double>::max());
    return finiteOr(std::max(std::fabs(s.YMin - s.ZeroLine), std::fabs(s.YMax + s.ZeroLine)),
                    std::numeric_limits<double>::max());
}

// The same steps on doubles, for limits that are no decimals (not finite).
std::uint8_t doubleAxisDecimals(double lo, double hi, int magnitudeLimit, int spanLimit) {
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

} // namespace

std::uint8_t axisDecimals(const Decimal& lo, const Decimal& hi, int magnitudeLimit,
                          int spanLimit) {
    const Decimal span = absolute(add(hi, negate(lo)));
    const std::optional<int> order = compare(absolute(lo), absolute(hi));
    if (!span.Exact || !order)
        return doubleAxisDecimals(toDouble(lo), toDouble(hi), magnitudeLimit, spanLimit);
    const Decimal largest = *order < 0 ? absolute(hi) : absolute(lo);
    if (largest.Digits == 0) return 3;
    const Decimal one{1, 0};
    const Decimal ten{1, 1};
    auto above = [](const Decimal& a, const Decimal& b) { return compare(a, b) > 0; };
    int d = 3;
    Decimal m = largest;
    if (above(m, ten)) {
        do {
            m = shifted(m, -1);
            --d;
        } while (above(m, ten) && d != 0);
    }
    if (!above(m, one)) {
        do {
            m = shifted(m, 1);
            ++d;
        } while (!above(m, one) && d < magnitudeLimit);
    }
    // r = span / largest; r x 10^k < 0.1 is span x 10^(k+1) < largest.
    int k = 0;
    auto narrow = [&] { return above(largest, shifted(span, k + 1)); };
    if (narrow()) {
        do {
            ++k;
            ++d;
        } while (narrow() && d < spanLimit);
    }
    return static_cast<std::uint8_t>(d);
}

std::uint8_t axisDecimals(double lo, double hi, int magnitudeLimit, int spanLimit) {
    return axisDecimals(decimalNear(lo), decimalNear(hi), magnitudeLimit, spanLimit);
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

    ExactLimits x, y;
    if (scaleAxis({s.XMin, s.XMax, s.XScale, s.XUnitFactor, s.XDecimals}, settings.XMin,
                  settings.XMax, unitFactor(TimeUnits, settings.XUnits, kDefaultTimeUnit), width,
                  5, 10, x)) {
        result.Label7 = settings.XMin;
        result.Label8 = settings.XMax;
    }
    if (scaleAxis({s.YMin, s.YMax, s.YScale, s.YUnitFactor, s.YDecimals}, settings.YMin,
                  settings.YMax, unitFactor(CurrentUnits, settings.YUnits, kDefaultSignalUnit),
                  height, 6, 5, y)) {
        result.Label6 = settings.YMin;
        result.Label5 = settings.YMax;
    }

    // With the zero line of the previous scaling, as the detector range has always been
    // chosen; the new zero line follows below.
    s.SignalRangeMagnitude = signalRangeMagnitude(s, y);

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
