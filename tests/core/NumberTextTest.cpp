#include "core/NumberText.h"
#include "core/Units.h"

#include <gtest/gtest.h>

#include <clocale>
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
