#include "core/NumberText.h"
#include "core/Units.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <limits>

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
    EXPECT_EQ(text(1.25, 1), "1.2"); // 1.25 is exact in binary: round half to even
    EXPECT_EQ(text(0.1, 3), "0.100");
    EXPECT_EQ(text(-3.14159, 2), "-3.14");
    EXPECT_EQ(text(12.5, 0), "12");
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
