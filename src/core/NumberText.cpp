#include "core/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace varentis {

namespace {

bool isDigit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22, 1e23,
                                   1e24, 1e25, 1e26, 1e27, 1e28, 1e29, 1e30};

// Checks the shape [sign] digits [. digits] [(e|E) [sign] digits] and returns the
// length it covers, or 0 when the text does not have that shape.
std::size_t numberShape(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && isDigit(s[i])) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i])) ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        std::size_t expDigits = 0;
        while (j < s.size() && isDigit(s[j])) ++j, ++expDigits;
        if (expDigits == 0) return 0;
        i = j;
    }
    return i;
}

} // namespace

double readNumber(std::string_view textIn, bool* valid) {
    if (valid) *valid = false;
    std::size_t start = 0;
    while (start < textIn.size() && (textIn[start] == ' ' || textIn[start] == '\t')) ++start;
    std::string_view s = textIn.substr(start);
    std::size_t len = numberShape(s);
    if (len == 0 || len != s.size()) return 0.0;

    // from_chars takes no leading '+'.
    std::string_view body = s;
    if (body.front() == '+') body.remove_prefix(1);
    double value = 0.0;
    auto [ptr, ec] = std::from_chars(body.data(), body.data() + body.size(), value,
                                     std::chars_format::general);
    if (ec != std::errc() || ptr != body.data() + body.size() || !std::isfinite(value))
        return 0.0;
    if (valid) *valid = true;
    return value;
}

namespace {

// Rounds the shortest decimal form of `value` (the digits that read back as the same
// double, as the operator typed them) to `decimals` places, a half away from zero. Exact
// decimal arithmetic on those digits: 0.15 gives 0.2 although its double lies below 0.15.
void appendDecimalRounded(std::string& out, double value, int decimals) {
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, std::abs(value), std::chars_format::fixed);
    if (res.ec != std::errc()) {
        out += '0';
        return;
    }
    const std::string_view shortest(buf, static_cast<std::size_t>(res.ptr - buf));
    const std::size_t point = shortest.find('.');
    const std::string_view whole = shortest.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view{} : shortest.substr(point + 1);
    const auto kept = static_cast<std::size_t>(decimals);

    // Digits of the result without the point: the whole part, then `decimals` digits.
    std::string digits(whole);
    digits.append(fraction.substr(0, kept));
    digits.append(kept - std::min(kept, fraction.size()), '0');
    if (fraction.size() > kept && fraction[kept] >= '5') {
        std::size_t i = digits.size();
        while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
        if (i == 0) digits.insert(digits.begin(), '1');
        else ++digits[i - 1];
    }
    const bool negative = value < 0 && digits.find_first_not_of('0') != std::string::npos;
    if (negative) out += '-';
    const std::size_t wholeDigits = digits.size() - kept;
    out.append(digits, 0, wholeDigits);
    if (kept > 0) {
        out += '.';
        out.append(digits, wholeDigits, kept);
    }
}

} // namespace

bool readPlainDecimal(const char*& p, const char* end, double& value) {
    const char* q = p;
    while (q < end && *q == ' ') ++q;
    bool negative = false;
    if (q < end && (*q == '-' || *q == '+')) negative = *q++ == '-';
    // Too many digits wrap the mantissa around; such a text is declined below.
    std::uint64_t mantissa = 0;
    const char* const wholeStart = q;
    while (q < end && isDigit(*q)) mantissa = mantissa * 10 + static_cast<unsigned>(*q++ - '0');
    const std::ptrdiff_t wholeDigits = q - wholeStart;
    std::ptrdiff_t decimals = 0;
    if (q < end && *q == '.') {
        const char* const fractionStart = ++q;
        while (q < end && isDigit(*q))
            mantissa = mantissa * 10 + static_cast<unsigned>(*q++ - '0');
        decimals = q - fractionStart;
    }
    const std::ptrdiff_t digits = wholeDigits + decimals;
    if (digits == 0 || digits > 19 || decimals > 22 || mantissa > (std::uint64_t{1} << 53))
        return false;
    if (q < end && (*q == 'e' || *q == 'E')) return false;
    // Both operands are exact doubles, so the one rounding of the division gives the
    // nearest double to the decimal, as from_chars does.
    const double magnitude = static_cast<double>(mantissa) / kPowersOfTen[decimals];
    value = negative ? -magnitude : magnitude;
    p = q;
    return true;
}

void appendText(std::string& out, double value, int decimals) {
    decimals = std::clamp(decimals, 0, 30);
    if (std::isfinite(value)) {
        // Only a value near a tie (a 5 at the first dropped place) can round differently
        // in decimal than in binary; the margin covers the error of the scaling and the
        // distance between the double and its shortest decimal form. Everything else, by
        // far the most numbers a data file holds, is the nearest integer to the scaled
        // value, written with the point put in.
        const double scaled = std::abs(value) * kPowersOfTen[decimals];
        const double whole = std::floor(scaled);
        const double fraction = scaled - whole;
        if (!(scaled < 0x1p52) || !(std::abs(fraction - 0.5) > scaled * 0x1p-48)) {
            appendDecimalRounded(out, value, decimals);
            return;
        }
        std::uint64_t n = static_cast<std::uint64_t>(whole) + (fraction > 0.5 ? 1 : 0);
        char digits[64];
        char* p = digits + sizeof digits;
        const bool negative = value < 0 && n != 0;
        for (int i = 0; i < decimals; ++i, n /= 10) *--p = static_cast<char>('0' + n % 10);
        if (decimals > 0) *--p = '.';
        do *--p = static_cast<char>('0' + n % 10);
        while ((n /= 10) != 0);
        if (negative) *--p = '-';
        out.append(p, digits + sizeof digits);
        return;
    }
    // Not a number or infinite: what the conversion calls it.
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    out.append(buf, res.ec == std::errc() ? res.ptr : buf);
}

std::string text(double value, int decimals) {
    std::string out;
    appendText(out, value, decimals);
    return out;
}

std::int64_t rnd(double value) {
    if (std::isnan(value)) return 0;
    constexpr double lo = static_cast<double>(std::numeric_limits<std::int64_t>::min());
    constexpr double hi = 9223372036854774784.0; // largest double below 2^63
    if (value <= lo) return std::numeric_limits<std::int64_t>::min();
    if (value >= hi) return std::numeric_limits<std::int64_t>::max();
    return static_cast<std::int64_t>(std::nearbyint(value)); // FE_TONEAREST: halves to even
}

} // namespace varentis
