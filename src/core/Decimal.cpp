#include "core/Decimal.h"

#include "core/NumberText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

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
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        bool negativeExponent = false;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) negativeExponent = s[j++] == '-';
        std::size_t expDigits = 0;
        while (j < s.size() && isDigit(s[j])) {
            if (exponent < 10L * kMaxExponent) exponent = exponent * 10 + (s[j] - '0');
            ++j;
            ++expDigits;
        }
        if (expDigits == 0) return false;
        if (negativeExponent) exponent = -exponent;
        i = j;
    }
    if (i != s.size()) return false;
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

} // namespace varentis
