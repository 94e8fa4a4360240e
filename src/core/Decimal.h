#pragma once

#include <cstdint>
#include <string_view>

namespace varentis {

__extension__ typedef __int128 Int128;

// A number held exactly as the decimal the operator typed: Digits x 10^Exponent. Sums of
// such numbers compare as decimals do, so 0.1 + 0.2 equals 0.3, which in binary floating
// point it does not.
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

// The shortest decimal that reads back as `value`: a number that was typed as "0.1" comes
// back as 1 x 10^-1. Not exact for NaN and infinities.
Decimal decimalOf(double value);

// a + b, exact while the digits fit (otherwise Exact is false).
Decimal add(const Decimal& a, const Decimal& b);

// The digits of `d` on the scale 10^exponent (exponent <= d.Exponent), when they stay
// below 10^34 in magnitude; false otherwise or when `d` is not exact.
bool scaledDigits(const Decimal& d, int exponent, Int128& out);

// The double nearest to digits x 10^exponent.
double decimalToDouble(Int128 digits, int exponent);
double decimalToDouble(std::int64_t digits, int exponent);

} // namespace varentis
