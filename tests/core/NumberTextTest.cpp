#include "core/NumberText.h"
#include "core/Units.h"

#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

using namespace varentis;

namespace {
// Under ctest the German-locale run sets VARENTIS_SET_LOCALE so that the process really
// switches LC_NUMERIC, as a Qt program does at start.
const bool localeSet = [] {
    if (std::getenv("VARENTIS_SET_LOCALE")) std::setlocale(LC_ALL, "");
    return true;
}();
} // namespace

struct ReadCase {
    const char* text;
    double value;
    bool valid;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class ReadNumberTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadNumberTest, ReadsValueAndValidity) {
    const ReadCase& c = GetParam();
    bool valid = !c.valid;
    double v = readNumber(c.text, &valid);
    EXPECT_EQ(valid, c.valid) << '"' << c.text << '"';
    EXPECT_DOUBLE_EQ(v, c.value) << '"' << c.text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ReadNumberTest,
    ::testing::Values(ReadCase{"100", 100, true}, ReadCase{"  -2.5", -2.5, true},
                      ReadCase{"+7", 7, true}, ReadCase{"1e-9", 1e-9, true},
                      ReadCase{"1.5E+3", 1500, true}, ReadCase{".5", 0.5, true},
                      ReadCase{"3.", 3, true}, ReadCase{"0.1", 0.1, true},
                      ReadCase{"", 0, false}, ReadCase{"   ", 0, false},
                      ReadCase{"-", 0, false}, ReadCase{"abc", 0, false},
                      ReadCase{"12abc", 0, false}, ReadCase{"1,5", 0, false},
                      ReadCase{"1e", 0, false}, ReadCase{"1e999", 0, false},
                      ReadCase{"-1e999", 0, false}, ReadCase{"nan", 0, false},
                      ReadCase{"inf", 0, false}, ReadCase{"-infinity", 0, false},
                      ReadCase{"0x10", 0, false}, ReadCase{"5 ", 0, false},
                      ReadCase{".", 0, false}, ReadCase{"--1", 0, false}));

TEST(ReadNumber, ValidityPointerIsOptional) {
    EXPECT_DOUBLE_EQ(readNumber("42"), 42.0);
    EXPECT_DOUBLE_EQ(readNumber("x"), 0.0);
}

TEST(Text, FixedPointWithGivenDecimals) {
    EXPECT_EQ(text(0.1, 3), "0.100");
    EXPECT_EQ(text(-3.14159, 2), "-3.14");
    EXPECT_EQ(text(13.5, 0), "14");
    EXPECT_EQ(text(1296 * 4.883e-7 / 1e-9, 2), "632836.80");
    EXPECT_EQ(text(1e-12, 3), "0.000");
    EXPECT_EQ(text(123456789.0, 0), "123456789");
}

TEST(Text, ValueRoundingToZeroHasNoMinus) {
    EXPECT_EQ(text(-0.0004, 3), "0.000");
    EXPECT_EQ(text(-0.0, 0), "0");
    EXPECT_EQ(text(-0.4, 0), "0");
    EXPECT_EQ(text(-0.0006, 3), "-0.001");
}

// A value whose typed digits end in a 5 at the first dropped place is a tie, and a tie goes
// away from zero, whichever side of it the double lies on.
struct TieCase {
    const char* typed;
    int decimals;
    const char* shown;
};

void PrintTo(const TieCase& c, std::ostream* os) { *os << '"' << c.typed << "\" " << c.decimals; }

class PrintedTieTest : public ::testing::TestWithParam<TieCase> {};

TEST_P(PrintedTieTest, TiesGoAwayFromZero) {
    const TieCase& c = GetParam();
    bool valid = false;
    const double v = readNumber(c.typed, &valid);
    ASSERT_TRUE(valid);
    EXPECT_EQ(text(v, c.decimals), c.shown) << c.typed;
    std::string appended = "x";
    appendText(appended, v, c.decimals);
    EXPECT_EQ(appended, std::string("x") + c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    TypedTexts, PrintedTieTest,
    ::testing::Values(TieCase{"0.15", 1, "0.2"}, TieCase{"0.35", 1, "0.4"},
                      TieCase{"0.95", 1, "1.0"}, TieCase{"0.05", 1, "0.1"},
                      TieCase{"0.45", 1, "0.5"}, TieCase{"-0.15", 1, "-0.2"},
                      TieCase{"-0.95", 1, "-1.0"}, TieCase{"1.25", 1, "1.3"},
                      TieCase{"2.675", 2, "2.68"}, TieCase{"1.005", 2, "1.01"},
                      TieCase{"0.125", 2, "0.13"}, TieCase{"12.5", 0, "13"},
                      TieCase{"2.5", 0, "3"}, TieCase{"-0.5", 0, "-1"},
                      TieCase{"9.995", 2, "10.00"}, TieCase{"99.95", 1, "100.0"},
                      TieCase{"1e-9", 9, "0.000000001"}, TieCase{"5e-10", 9, "0.000000001"},
                      TieCase{"-0.0005", 3, "-0.001"}, TieCase{"0.0004999", 3, "0.000"},
                      TieCase{"0.1499999999", 1, "0.1"}, TieCase{"0.15000001", 1, "0.2"},
                      TieCase{"1e22", 0, "10000000000000000000000"},
                      TieCase{"123456.785", 2, "123456.79"}));

// Typed decimals n / 10^m rounded to d places by integer arithmetic, against the printed
// text: the fast conversion and the tie path must give the same digits everywhere.
TEST(Text, AgreesWithDecimalRoundingOfTheTypedDigits) {
    std::mt19937_64 rng(7);
    const std::int64_t pow10[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};
    for (int k = 0; k < 200000; ++k) {
        const int m = static_cast<int>(rng() % 7);     // typed decimals
        const int d = static_cast<int>(rng() % (m + 1)); // printed decimals
        std::int64_t n = static_cast<std::int64_t>(rng() % 100000000);
        if (k % 3 == 0) n = n / 10 * 10 + 5; // many ties
        const bool negative = rng() % 2 == 0;
        std::string typed = std::to_string(n / pow10[m]);
        if (m > 0) {
            std::string frac = std::to_string(n % pow10[m]);
            typed += "." + std::string(static_cast<std::size_t>(m) - frac.size(), '0') + frac;
        }
        if (negative) typed = "-" + typed;

        const std::int64_t unit = pow10[m - d];
        std::int64_t q = n / unit;
        if ((n % unit) * 2 >= unit) ++q;
        std::string expected = std::to_string(q / pow10[d]);
        if (d > 0) {
            std::string frac = std::to_string(q % pow10[d]);
            expected += "." + std::string(static_cast<std::size_t>(d) - frac.size(), '0') + frac;
        }
        if (negative && q != 0) expected = "-" + expected;
        ASSERT_EQ(text(readNumber(typed), d), expected) << typed << " to " << d;
    }
}

// Away from ties the text is the value rounded as the standard conversion rounds it; ties
// are where the typed digits decide.
TEST(Text, AwayFromTiesAgreesWithTheStandardConversion) {
    std::mt19937_64 rng(3);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-12, 14), places(0, 12);
    char buf[512];
    int compared = 0;
    for (int k = 0; k < 300000; ++k) {
        const double v = mantissa(rng) * std::pow(10.0, exponent(rng));
        const int d = places(rng);
        const double scaled = std::abs(v) * std::pow(10.0, d);
        // Near a tie (within the reach of the double's own precision) the typed digits
        // decide; beyond 2^52 the shortest form does.
        if (scaled >= 0x1p52 ||
            std::abs(scaled - std::floor(scaled) - 0.5) < scaled * 0x1p-46 + 1e-9)
            continue;
        auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, d);
        std::string expected(buf, r.ptr);
        if (expected.find_first_not_of("-0.") == std::string::npos && expected[0] == '-')
            expected.erase(0, 1);
        ASSERT_EQ(text(v, d), expected) << std::hexfloat << v << " to " << d;
        ++compared;
    }
    EXPECT_GT(compared, 100000);
}

TEST(Text, NotANumberAndInfinityKeepTheirNames) {
    EXPECT_EQ(text(std::numeric_limits<double>::infinity(), 2), "inf");
    EXPECT_EQ(text(-std::numeric_limits<double>::infinity(), 0), "-inf");
    EXPECT_EQ(text(std::numeric_limits<double>::quiet_NaN(), 1), "nan");
}

// The file readers' quick path reads a number at the start of a text as readNumber reads
// that number, or leaves the text to readNumber; what follows is for the caller to judge.
TEST(ReadPlainDecimal, GivesReadNumbersValueOrDeclines) {
    const char* const texts[] = {"0",       "-0",     "12.50",  "-3.25",      "+7",     ".5",
                                 "5.",      "  42",   "0.1",    "99999.99",   "-1234.567",
                                 "9007199254740993",  "0.12345678901234567890123", "1e5",
                                 "1.5E-3",  "-",      ".",      "+-1",        "",       "abc",
                                 "12abc",   "\t5",    "00000000000000000000001", "123456.785"};
    for (const char* t : texts) {
        const std::string s(t);
        const char* p = s.data();
        double v = -99;
        if (readPlainDecimal(p, s.data() + s.size(), v)) {
            const std::string read(s.data(), p);
            bool valid = false;
            EXPECT_EQ(v, readNumber(read, &valid)) << t;
            EXPECT_TRUE(valid) << t;
            EXPECT_EQ(std::signbit(v), std::signbit(readNumber(read))) << t;
            EXPECT_TRUE(p == s.data() + s.size() || !std::isdigit(*p)) << t;
        } else {
            EXPECT_EQ(p, s.data()) << '"' << t << "\" declined but moved";
        }
    }
    std::mt19937_64 rng(5);
    for (int k = 0; k < 200000; ++k) {
        // Up to 8 digits before the point and 6 after, as the data files hold them.
        const std::string s = text(std::ldexp(static_cast<double>(rng() >> 37), -(rng() % 20)) *
                                       (rng() % 2 ? 1 : -1),
                                   static_cast<int>(rng() % 7));
        const char* p = s.data();
        double v = 0;
        ASSERT_TRUE(readPlainDecimal(p, s.data() + s.size(), v)) << s;
        ASSERT_EQ(v, readNumber(s)) << s;
    }
}

TEST(Text, NegativeDecimalsCountAsNone) { EXPECT_EQ(text(2.6, -3), "3"); }

TEST(Text, AppendsWithoutTouchingWhatIsThere) {
    std::string s = "t=";
    appendText(s, 0.5, 2);
    EXPECT_EQ(s, "t=0.50");
}

TEST(Rnd, HalvesGoToEven) {
    EXPECT_EQ(rnd(0.5), 0);
    EXPECT_EQ(rnd(1.5), 2);
    EXPECT_EQ(rnd(2.5), 2);
    EXPECT_EQ(rnd(-0.5), 0);
    EXPECT_EQ(rnd(-1.5), -2);
    EXPECT_EQ(rnd(2047.5), 2048);
    EXPECT_EQ(rnd(2.4999), 2);
    EXPECT_EQ(rnd(1000.0000001), 1000);
}

TEST(Rnd, NonFiniteAndHugeValuesAreSafe) {
    EXPECT_EQ(rnd(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(rnd(1e300), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(rnd(-std::numeric_limits<double>::infinity()),
              std::numeric_limits<std::int64_t>::min());
}

TEST(Units, TablesAndLookups) {
    EXPECT_DOUBLE_EQ(unitFactor(TimeUnits, 1, 0), 60.0);
    EXPECT_DOUBLE_EQ(unitFactor(CurrentUnits, 1, 1), 1e-9);
    EXPECT_DOUBLE_EQ(unitFactor(CurrentUnits, -1, 1), 1e-9);
    EXPECT_DOUBLE_EQ(unitFactor(PeriodUnits, 7, 0), 0.001);
    EXPECT_EQ(currentUnitIndex("uA"), 2);
    EXPECT_EQ(currentUnitIndex("UA"), -1);
    EXPECT_EQ(timeUnitIndex("h"), 2);
}
