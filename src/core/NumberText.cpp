#include "core/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace varentis {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

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

void appendText(std::string& out, double value, int decimals) {
    decimals = std::clamp(decimals, 0, 30);
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    if (res.ec != std::errc()) {
        out += '0';
        return;
    }
    std::string_view written(buf, static_cast<std::size_t>(res.ptr - buf));
    if (!written.empty() && written.front() == '-' &&
        written.find_first_not_of("-0.") == std::string_view::npos)
        written.remove_prefix(1); // -0.00 is written 0.00
    out.append(written);
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
