#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The decimals the operator types, held and worked on exactly. A limit typed as "100" nA is
// the double 1.0000000000000001e-7 A, above the double 1e-7; 50 x 2.55 in doubles is
// 127.49999999999999. Every comparison and rounding that the operator would check on paper
// is made on these decimals, and every question "which decimal does this double stand for?"
// is answered by decimalNear / sameDecimal below, with the one tolerance they share.
namespace varentis {

__extension__ typedef __int128 Int128;

// A number held exactly as a decimal: Digits x 10^Exponent. Sums of such numbers compare as
// decimals do, so 0.1 + 0.2 equals 0.3, which in binary floating point it does not.
struct Decimal {
    Int128 Digits = 0;
    int Exponent = 0;
    // False when the number has too many digits or lies too far out to be held; its double
    // is then all there is.
    bool Exact = true;
};

// A number text read both ways: as readNumber reads it (same shape, same validity, same
// double) and as an exact decimal.
struct DecimalText {
    double Value = 0.0;
    bool Valid = false;
    Decimal Number;
};

DecimalText readDecimal(std::string_view text);

// The shortest decimal that reads back as exactly `value`. Not exact for NaN and infinities.
Decimal decimalOf(double value);

// The decimal a double stands for: the shortest decimal within kNearUlps units in the last
// place of `value`. A typed number times a unit factor (0.1 x 60, 3 x 0.001), a sum of typed
// times or a timer count times its 10 us step is a rounding or a few away from its decimal,
// and comes back as that decimal. Not exact for NaN and infinities.
Decimal decimalNear(double value);

// The double of decimalNear(value): a readout worked out from pixels or a unit factor that
// stands for 1.5 shows as 1.5, not 1.4999999999999998. `value` itself when not finite.
double snappedToDecimal(double value);

// a and b stand for the same decimal: they lie within kNearUlps units in the last place of
// the larger of them (a timer reading of 10000 x 1e-5 s is the instant 0.1 s).
bool sameDecimal(double a, double b);

// The one tolerance of decimalNear and sameDecimal. Each rounding of a product or sum of
// typed decimals moves the double by at most half a unit in the last place, and the programs
// and unit conversions chain a handful of them; eight units take them all back. Two decimals
// of fourteen or fewer significant digits, all a user types, lie at least 50 units apart, so
// the tolerance never merges two of them; a double of sixteen or seventeen digits that no
// typing gives (1/3) comes back as its fifteen digits, the most a readout shows.
inline constexpr double kNearUlps = 8.0;

// Exact while the digits fit (otherwise Exact is false).
Decimal add(const Decimal& a, const Decimal& b);
Decimal subtract(const Decimal& a, const Decimal& b);
Decimal multiply(const Decimal& a, const Decimal& b);
Decimal negate(const Decimal& a);
Decimal absolute(const Decimal& a);
// a x 10^power.
Decimal shifted(const Decimal& a, int power);

// -1, 0 or 1 as a is below, equal to or above b; nothing when either is not exact.
std::optional<int> compare(const Decimal& a, const Decimal& b);

// The double nearest to `d` (NaN when it is not exact).
double toDouble(const Decimal& d);

// The digits of `d` on the scale 10^exponent (exponent <= d.Exponent), when they stay below
// 10^34 in magnitude; false otherwise or when `d` is not exact.
bool scaledDigits(const Decimal& d, int exponent, Int128& out);

// The double nearest to digits x 10^exponent.
double decimalToDouble(Int128 digits, int exponent);
double decimalToDouble(std::int64_t digits, int exponent);

// How a number between two integers becomes one of them.
enum class Rounding {
    HalfEven,         // nearest, halves to the even one (codes, pixels, page geometry)
    HalfAwayFromZero, // nearest, halves away from zero (figures as written on paper)
    TowardZero,       // the whole part
};

// numerator / denominator as an integer. Nothing for a zero denominator.
std::optional<Int128> roundedQuotient(Int128 numerator, Int128 denominator,
                                      Rounding rounding = Rounding::HalfEven);

// `d` as an integer; nothing when it is not exact or does not fit 10^36.
std::optional<Int128> roundedInteger(const Decimal& d, Rounding rounding = Rounding::HalfEven);

// rnd(factor x a / b) on the decimals, for a whole `factor` (pixels): nothing when a or b is
// not exact, b is 0, or the digits would not fit.
std::optional<std::int64_t> roundedScaledRatio(std::int64_t factor, const Decimal& a,
                                               const Decimal& b);

} // namespace varentis
