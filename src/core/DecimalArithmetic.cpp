#include "core/DecimalArithmetic.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace varentis {

namespace {

__extension__ typedef unsigned __int128 UInt128;
constexpr Int128 kInt128Max = static_cast<Int128>(~static_cast<UInt128>(0) >> 1);
// Units in the last place within which a double stands for a shorter decimal.
constexpr double kNearUlps = 4.0;

Int128 magnitude(Int128 v) { return v < 0 ? -v : v; }

int digitCount(Int128 m) {
    int n = 0;
    do {
        ++n;
        m /= 10;
    } while (m != 0);
    return n;
}

Decimal inexact() {
    Decimal d;
    d.Exact = false;
    return d;
}

// Trailing zeros of the digits moved into the exponent: smaller digits leave more room.
Decimal normalised(Decimal d) {
    if (d.Digits == 0) {
        d.Exponent = 0;
        return d;
    }
    while (d.Digits % 10 == 0) {
        d.Digits /= 10;
        ++d.Exponent;
    }
    return d;
}

} // namespace

Decimal decimalNear(double value) {
    if (!std::isfinite(value)) return inexact();
    if (value == 0.0) return Decimal{};
    const double a = std::fabs(value);
    const double tolerance = kNearUlps * (std::nextafter(a, HUGE_VAL) - a);
    char buf[64];
    for (int precision = 0; precision <= 16; ++precision) {
        const auto res = std::to_chars(buf, buf + sizeof buf, value,
                                       std::chars_format::scientific, precision);
        double back = 0.0;
        std::from_chars(buf, res.ptr, back);
        if (precision == 16 || std::fabs(back - value) <= tolerance) {
            const std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
            return normalised(readDecimal(text).Number);
        }
    }
    return inexact(); // not reached: 17 significant digits always give the double back
}

Decimal multiply(const Decimal& a, const Decimal& b) {
    if (!a.Exact || !b.Exact) return inexact();
    const Decimal x = normalised(a);
    const Decimal y = normalised(b);
    if (x.Digits == 0 || y.Digits == 0) return Decimal{};
    if (magnitude(x.Digits) > kInt128Max / magnitude(y.Digits)) return inexact();
    Decimal r;
    r.Digits = x.Digits * y.Digits;
    r.Exponent = x.Exponent + y.Exponent;
    return r;
}

Decimal negate(const Decimal& a) {
    Decimal r = a;
    r.Digits = -a.Digits;
    return r;
}

Decimal absolute(const Decimal& a) { return a.Digits < 0 ? negate(a) : a; }

Decimal shifted(const Decimal& a, int power) {
    Decimal r = a;
    if (r.Digits != 0) r.Exponent += power;
    return r;
}

std::optional<int> compare(const Decimal& a, const Decimal& b) {
    if (!a.Exact || !b.Exact) return std::nullopt;
    const int sa = (a.Digits > 0) - (a.Digits < 0);
    const int sb = (b.Digits > 0) - (b.Digits < 0);
    if (sa != sb) return sa < sb ? -1 : 1;
    if (sa == 0) return 0;
    // Same sign: compare the magnitudes, first by their order of magnitude.
    Int128 ma = magnitude(a.Digits);
    Int128 mb = magnitude(b.Digits);
    const long orderA = static_cast<long>(digitCount(ma)) + a.Exponent;
    const long orderB = static_cast<long>(digitCount(mb)) + b.Exponent;
    int c = 0;
    if (orderA != orderB) {
        c = orderA < orderB ? -1 : 1;
    } else {
        // Equal orders: the one with the larger exponent has as many fewer digits, so
        // bringing it down to the other's exponent keeps it within the other's digits.
        for (int e = a.Exponent; e > b.Exponent; --e) ma *= 10;
        for (int e = b.Exponent; e > a.Exponent; --e) mb *= 10;
        c = ma < mb ? -1 : (ma > mb ? 1 : 0);
    }
    return sa * c;
}

double toDouble(const Decimal& d) {
    if (!d.Exact) return std::numeric_limits<double>::quiet_NaN();
    return decimalToDouble(d.Digits, d.Exponent);
}

std::optional<Int128> roundedQuotient(Int128 numerator, Int128 denominator) {
    if (denominator == 0) return std::nullopt;
    if (denominator < 0) {
        numerator = -numerator;
        denominator = -denominator;
    }
    Int128 q = numerator / denominator;
    Int128 r = numerator % denominator;
    if (r < 0) { // floor division
        q -= 1;
        r += denominator;
    }
    const Int128 rest = denominator - r; // r against the half, without doubling r
    if (r > rest || (r == rest && q % 2 != 0)) q += 1;
    return q;
}

std::optional<std::int64_t> roundedScaledRatio(std::int64_t factor, const Decimal& a,
                                               const Decimal& b) {
    if (!a.Exact || !b.Exact) return std::nullopt;
    const Decimal x = normalised(a);
    const Decimal y = normalised(b);
    const int e = std::min(x.Exponent, y.Exponent);
    Int128 n = 0, d = 0;
    if (!scaledDigits(x, e, n) || !scaledDigits(y, e, d) || d == 0) return std::nullopt;
    if (factor != 0 && magnitude(n) > kInt128Max / magnitude(factor)) return std::nullopt;
    const std::optional<Int128> q = roundedQuotient(n * factor, d);
    if (!q || magnitude(*q) > std::numeric_limits<std::int64_t>::max()) return std::nullopt;
    return static_cast<std::int64_t>(*q);
}

} // namespace varentis
