#include "core/Decimal.h"

#include "core/NumberText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace varentis {

namespace {

constexpr int kMaxDigits = 36;       // significant digits held exactly (10^36 < 2^127)
constexpr int kMaxExponent = 100000; // beyond this the exponent is only counted
constexpr int kScaledDigits = 34;    // scaled digits stay below 10^34: 5000 of them still add up

constexpr std::array<Int128, 37> makePowers() {
    std::array<Int128, 37> p{};
    p[0] = 1;
    for (std::size_t i = 1; i < p.size(); ++i) p[i] = p[i - 1] * 10;
    return p;
}
constexpr std::array<Int128, 37> kPow10 = makePowers();

constexpr std::array<double, 23> kExactPow10{1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                             1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                             1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// An optional "e" or "E" [sign] digits at `i` into `exponent` (counted only as far as it
// matters), `i` past it. False when the "e" has no digits.
bool readExponent(std::string_view s, std::size_t& i, long& exponent) {
    if (!(i < s.size() && (s[i] == 'e' || s[i] == 'E'))) return true;
    std::size_t j = i + 1;
    bool negative = false;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) negative = s[j++] == '-';
    const std::size_t first = j;
    while (j < s.size() && isDigit(s[j])) {
        if (exponent < 10L * kMaxExponent) exponent = exponent * 10 + (s[j] - '0');
        ++j;
    }
    if (j == first) return false;
    if (negative) exponent = -exponent;
    i = j;
    return true;
}

// Parses [sign] digits [. digits] [(e|E) [sign] digits] covering all of `s` (the shape
// readNumber accepts after its leading blanks) into `d`. False when the shape differs.
bool parseDecimal(std::string_view s, Decimal& d) {
    d = Decimal{};
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    int held = 0;       // significant digits in Digits
    int dropped = 0;    // integer digits beyond what Digits holds
    int fraction = 0;   // fraction digits taken into Digits
    std::size_t digits = 0;
    bool nonzeroDropped = false;
    // The first 18 digits add up in 64 bits, the rest (rare) in 128.
    std::uint64_t low = 0;
    auto take = [&](char c, bool inFraction) {
        ++digits;
        const int v = c - '0';
        if (held == 0 && v == 0) {
            if (inFraction) ++fraction;
            return;
        }
        if (held < 18) {
            low = low * 10 + static_cast<unsigned>(v);
            ++held;
            if (inFraction) ++fraction;
        } else if (held < kMaxDigits) {
            if (held == 18) d.Digits = static_cast<Int128>(low);
            d.Digits = d.Digits * 10 + v;
            ++held;
            if (inFraction) ++fraction;
        } else {
            if (!inFraction) ++dropped;
            if (v != 0) nonzeroDropped = true;
        }
    };
    while (i < s.size() && isDigit(s[i])) take(s[i++], false);
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i])) take(s[i++], true);
    }
    if (digits == 0) return false;
    long exponent = 0;
    if (!readExponent(s, i, exponent) || i != s.size()) return false;
    if (held <= 18) d.Digits = static_cast<Int128>(low);
    exponent += dropped - fraction;
    if (nonzeroDropped || exponent > kMaxExponent || exponent < -kMaxExponent) d.Exact = false;
    d.Exponent = static_cast<int>(std::clamp<long>(exponent, -kMaxExponent, kMaxExponent));
    if (negative) d.Digits = -d.Digits;
    if (d.Digits == 0) d.Exponent = 0;
    return true;
}

Int128 magnitude(Int128 v) { return v < 0 ? -v : v; }

} // namespace

DecimalText readDecimal(std::string_view text) {
    DecimalText r;
    std::size_t start = 0;
    while (start < text.size() && (text[start] == ' ' || text[start] == '\t')) ++start;
    if (!parseDecimal(text.substr(start), r.Number)) {
        r.Number = Decimal{};
        return r;
    }
    const Decimal& d = r.Number;
    constexpr Int128 kExactLimit = Int128{1} << 53;
    if (d.Exact && magnitude(d.Digits) < kExactLimit && d.Exponent >= -22 && d.Exponent <= 22) {
        // Both factors are exact doubles, so one rounding gives the nearest double, as the
        // library's reading would.
        const double digits = static_cast<double>(static_cast<std::int64_t>(d.Digits));
        r.Value = d.Exponent >= 0 ? digits * kExactPow10[static_cast<std::size_t>(d.Exponent)]
                                  : digits / kExactPow10[static_cast<std::size_t>(-d.Exponent)];
        if (d.Digits == 0 && text.substr(start).starts_with('-')) r.Value = -0.0;
        r.Valid = true;
        return r;
    }
    r.Value = readNumber(text, &r.Valid);
    if (!r.Valid) r.Number = Decimal{};
    return r;
}

Decimal decimalOf(double value) {
    Decimal d;
    if (!std::isfinite(value)) {
        d.Exact = false;
        return d;
    }
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    if (res.ec != std::errc() ||
        !parseDecimal(std::string_view(buf, static_cast<std::size_t>(res.ptr - buf)), d))
        d.Exact = false;
    return d;
}

bool scaledDigits(const Decimal& d, int exponent, Int128& out) {
    if (!d.Exact || exponent > d.Exponent) return false;
    if (d.Digits == 0) {
        out = 0;
        return true;
    }
    const long shift = static_cast<long>(d.Exponent) - exponent;
    if (shift > kScaledDigits) return false;
    if (magnitude(d.Digits) >= kPow10[static_cast<std::size_t>(kScaledDigits - shift)])
        return false;
    out = d.Digits * kPow10[static_cast<std::size_t>(shift)];
    return true;
}

Decimal add(const Decimal& a, const Decimal& b) {
    Decimal r;
    const int e = std::min(a.Exponent, b.Exponent);
    Int128 x = 0, y = 0;
    if (!scaledDigits(a, e, x) || !scaledDigits(b, e, y)) {
        r.Exact = false;
        return r;
    }
    r.Digits = x + y;
    r.Exponent = r.Digits == 0 ? 0 : e;
    return r;
}

double decimalToDouble(std::int64_t digits, int exponent) {
    constexpr std::int64_t kExactLimit = std::int64_t{1} << 53;
    if (digits > -kExactLimit && digits < kExactLimit && exponent >= -22 && exponent <= 22) {
        const auto v = static_cast<double>(digits);
        return exponent >= 0 ? v * kExactPow10[static_cast<std::size_t>(exponent)]
                             : v / kExactPow10[static_cast<std::size_t>(-exponent)];
    }
    return decimalToDouble(static_cast<Int128>(digits), exponent);
}

double decimalToDouble(Int128 digits, int exponent) {
    constexpr Int128 kExactLimit = Int128{1} << 53;
    if (digits == 0) return 0.0;
    if (magnitude(digits) < kExactLimit && exponent >= -22 && exponent <= 22) {
        const double v = static_cast<double>(static_cast<std::int64_t>(digits));
        return exponent >= 0 ? v * kExactPow10[static_cast<std::size_t>(exponent)]
                             : v / kExactPow10[static_cast<std::size_t>(-exponent)];
    }
    // The library reads the decimal text with correct rounding.
    char buf[64];
    char* p = buf + 48;
    char* end = p;
    const bool negative = digits < 0;
    Int128 m = magnitude(digits);
    do {
        *--p = static_cast<char>('0' + static_cast<int>(m % 10));
        m /= 10;
    } while (m != 0);
    if (negative) *--p = '-';
    *end++ = 'e';
    auto res = std::to_chars(end, buf + sizeof buf, exponent);
    double value = 0.0;
    auto [ptr, ec] = std::from_chars(p, res.ptr, value);
    (void)ptr;
    if (ec == std::errc::result_out_of_range)
        return exponent > 0 ? (negative ? -HUGE_VAL : HUGE_VAL) : (negative ? -0.0 : 0.0);
    return value;
}

namespace {

__extension__ typedef unsigned __int128 UInt128;
constexpr Int128 kInt128Max = static_cast<Int128>(~static_cast<UInt128>(0) >> 1);
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
        const auto res =
            std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, precision);
        double back = 0.0;
        std::from_chars(buf, res.ptr, back);
        if (precision == 16 || std::fabs(back - value) <= tolerance) {
            const std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
            return normalised(readDecimal(text).Number);
        }
    }
    return inexact(); // not reached: 17 significant digits always give the double back
}

double snappedToDecimal(double value) {
    if (!std::isfinite(value) || value == 0.0) return value;
    return toDouble(decimalNear(value));
}

bool sameDecimal(double a, double b) {
    if (a == b) return true;
    const double larger = std::max(std::fabs(a), std::fabs(b));
    return std::fabs(a - b) <= kNearUlps * (std::nextafter(larger, HUGE_VAL) - larger);
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

Decimal subtract(const Decimal& a, const Decimal& b) { return add(a, negate(b)); }

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

std::optional<Int128> roundedQuotient(Int128 numerator, Int128 denominator, Rounding rounding) {
    if (denominator == 0) return std::nullopt;
    if (denominator < 0) {
        numerator = -numerator;
        denominator = -denominator;
    }
    // Toward zero first, then the rest against the half (without doubling it, which could
    // overflow).
    Int128 q = numerator / denominator;
    const Int128 rest = magnitude(numerator % denominator);
    if (rounding == Rounding::TowardZero || rest == 0) return q;
    const Int128 other = denominator - rest;
    const bool tie = rest == other;
    const bool away =
        rest > other || (tie && (rounding == Rounding::HalfAwayFromZero || q % 2 != 0));
    if (away) q += numerator < 0 ? -1 : 1;
    return q;
}

std::optional<Int128> roundedInteger(const Decimal& d, Rounding rounding) {
    if (!d.Exact) return std::nullopt;
    const Decimal n = normalised(d);
    if (n.Exponent >= 0) {
        Int128 whole = 0;
        if (!scaledDigits(n, 0, whole)) return std::nullopt;
        return whole;
    }
    // More places than the digits have: below a tenth, nearer to 0 than to 1.
    if (n.Exponent < -kMaxDigits) return Int128{0};
    return roundedQuotient(n.Digits, kPow10[static_cast<std::size_t>(-n.Exponent)], rounding);
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
