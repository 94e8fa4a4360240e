#pragma once

#include "core/Decimal.h"

#include <optional>

// Decisions taken on decimals rather than on their doubles. A limit typed as "100" nA is
// the double 1.0000000000000001e-7 A, above the double 1e-7; 433 x 50 / 100 pixels come
// out a hair above 216.5. Comparisons and roundings that the operator would check on paper
// are made here on the decimals, exactly.
namespace varentis {

// The decimal a double stands for: the shortest decimal within a few units in the last
// place of `value`. A typed number times a unit factor (0.1 x 60, 3 x 0.001) is a rounding
// or two away from its decimal product, and comes back as that product. Not exact for NaN
// and infinities.
Decimal decimalNear(double value);

// a x b, exact while the digits fit (otherwise Exact is false).
Decimal multiply(const Decimal& a, const Decimal& b);
Decimal negate(const Decimal& a);
Decimal absolute(const Decimal& a);
// a x 10^power.
Decimal shifted(const Decimal& a, int power);

// -1, 0 or 1 as a is below, equal to or above b; nothing when either is not exact.
std::optional<int> compare(const Decimal& a, const Decimal& b);

// The double nearest to `d` (NaN when it is not exact).
double toDouble(const Decimal& d);

// numerator / denominator rounded to the nearest integer, halves to the even one.
// Nothing for a zero denominator.
std::optional<Int128> roundedQuotient(Int128 numerator, Int128 denominator);

// rnd(factor x a / b) on the decimals, for a whole `factor` (pixels): nothing when a or b is
// not exact, b is 0, or the digits would not fit.
std::optional<std::int64_t> roundedScaledRatio(std::int64_t factor, const Decimal& a,
                                               const Decimal& b);

} // namespace varentis
