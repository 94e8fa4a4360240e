#pragma once

#include "core/Decimal.h"
#include "graph/GraphScale.h"

#include <optional>
#include <string>

namespace varentis {

// The settings the scaling reads, as the controls hold them: texts and item indexes.
// The defaults are those of a fresh settings file.
struct ScaleSettings {
    std::string XMin = "0";   // Edit4
    std::string XMax = "100"; // Edit5
    int XUnits = 0;           // ComboBox2: s, min, h
    std::string YMin = "0";   // Edit2
    std::string YMax = "100"; // Edit3
    int YUnits = 1;           // ComboBox1: pA, nA, uA, mA, A
    std::string Zero = "0";   // Edit8, in the signal unit
    std::string PotentialMin = "-2"; // mV
    std::string PotentialMax = "2";  // mV
    std::string CurrentMin = "-2";
    std::string CurrentMax = "2";
    int CurrentUnits = 0; // pA .. A
};

// A new scale and the axis captions to show. A caption is absent when its axis limits were
// equal: the label then keeps what it showed.
struct ScaleResult {
    GraphScale Scale;
    std::optional<std::string> Label5; // signal maximum (top)
    std::optional<std::string> Label6; // signal minimum (bottom)
    std::optional<std::string> Label7; // time minimum (left)
    std::optional<std::string> Label8; // time maximum (right)
};

// Scales the axes for a plot of width x height pixels. Fields that equal limits leave alone
// come from `previous`; a previous scale that was never set takes that of the default axes.
ScaleResult XYFactors(const ScaleSettings& settings, int width, int height,
                      const GraphScale& previous);

// Decimal places for values of an axis whose limits, in its display unit, are `lo` and
// `hi`. `magnitudeLimit` caps the steps added for a small magnitude, `spanLimit` those
// added for a narrow span relative to the magnitude. The comparisons (magnitude above 10,
// at most 1, span ratio below 0.1) are decided on the decimals: 0.9 .. 1 has a span ratio
// of exactly 0.1, which in doubles comes out just below it.
std::uint8_t axisDecimals(const Decimal& lo, const Decimal& hi, int magnitudeLimit,
                          int spanLimit);
// The same for limits held as doubles, taken as the decimals they stand for.
std::uint8_t axisDecimals(double lo, double hi, int magnitudeLimit, int spanLimit);

// Weight of the previous value in the display smoothing, from the "Damping" text, the index
// of "Damping units" (%, ms, s) and the measurement period in seconds.
double dampingFactor(const std::string& damping, int dampingUnits, double periodSeconds);

} // namespace varentis
