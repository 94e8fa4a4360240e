#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Number text as the operator types it and as files store it. Both directions are
// locale-free: "." is the decimal point whatever LC_NUMERIC says.
namespace varentis {

// Reads optional leading blanks, an optional sign, digits with an optional fraction and an
// optional exponent, and nothing after. Anything else (empty text, letters, "1e999", "nan",
// "inf", a sign alone) gives 0 and sets *valid to false.
double readNumber(std::string_view text, bool* valid = nullptr);

// The common case of readNumber for the file readers, without a copy or a shape check:
// spaces, an optional sign, digits with an optional fraction, at most 19 digits and 22
// decimals, no exponent, starting at `p`. Gives the same value readNumber gives for that
// text and moves `p` past it; gives false and leaves `p` where it was for anything else,
// which the caller then reads with readNumber.
bool readPlainDecimal(const char*& p, const char* end, double& value);

// Fixed-point text with exactly `decimals` digits after the point (none and no point for
// 0), no leading blanks, "-" for negatives. A value that rounds to zero has no "-".
// Rounding works on the value's shortest decimal form, the digits typed or read for it:
// a 5 at the first dropped place goes away from zero (0.15 gives "0.2", -0.15 "-0.2"),
// although the double nearest 0.15 lies just below it.
std::string text(double value, int decimals);

// Appends the same text to `out` without building a temporary string; for the file
// writers that format millions of numbers.
void appendText(std::string& out, double value, int decimals);

// Nearest integer, halves to the even one. NaN gives 0; values beyond the 64-bit range
// are clamped to it.
std::int64_t rnd(double value);

} // namespace varentis
