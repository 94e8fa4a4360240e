#include "analysis/Calibration.h"

#include "core/Decimal.h"
#include "core/NumberText.h"

#include <cmath>
#include <gtest/gtest.h>

namespace varentis {
namespace {

// An exact fraction for the reference figures; the overflow of its 128 bits fails the test.
struct Q {
    Int128 n = 0, d = 1;
    Q() = default;
    Q(std::int64_t v) : n(v) {}
    Q(Int128 num, Int128 den) : n(num), d(den) {
        if (d < 0) n = -n, d = -d;
        Int128 a = n < 0 ? -n : n, b = d;
        while (b != 0) a %= b, std::swap(a, b);
        if (a > 1) n /= a, d /= a;
    }
    static Q of(const Decimal& x) {
        Int128 p = 1;
        for (int i = 0; i < std::abs(x.Exponent); ++i) p *= 10;
        return x.Exponent < 0 ? Q(x.Digits, p) : Q(x.Digits * p, 1);
    }
    static Q ofText(const char* t) { return of(readDecimal(t).Number); }
    static Q ofDouble(double v) { return of(decimalNear(v)); }
    static Int128 checked(Int128 a, Int128 b) {
        Int128 r = 0;
        if (__builtin_mul_overflow(a, b, &r)) ADD_FAILURE() << "reference overflows";
        return r;
    }
    friend Q operator+(const Q& a, const Q& b) {
        return Q(checked(a.n, b.d) + checked(b.n, a.d), checked(a.d, b.d));
    }
    friend Q operator-(const Q& a, const Q& b) { return a + Q(-b.n, b.d); }
    friend Q operator*(const Q& a, const Q& b) {
        const Q x(a.n, b.d), y(b.n, a.d); // crosswise first keeps the digits small
        return Q(checked(x.n, y.n), checked(x.d, y.d));
    }
    friend Q operator/(const Q& a, const Q& b) { return a * Q(b.d, b.n); }
    double value() const { return static_cast<double>(static_cast<long double>(n) / d); }
};

// Agreement with the exact figure to 1e-9 relative (absolute for an exact 0).
void expectNear(const std::optional<double>& actual, double exact, const std::string& what) {
    ASSERT_TRUE(actual.has_value()) << what;
    EXPECT_NEAR(*actual, exact, 1e-9 * std::max(std::fabs(exact), 1e-300)) << what;
}

double exactSqrt(const Q& r) {
    return static_cast<double>(std::sqrt(static_cast<long double>(r.n) / r.d));
}

TEST(Calibration, ReplicateStatisticsEqualTheExactOnes) {
    // Integers far from 0 make a sum of squares lose every digit of the scatter in doubles.
    const std::vector<std::vector<const char*>> cases = {
        {"1000000001", "1000000002", "1000000004"},
        {"3", "4", "8", "-1", "6"},
        {"0.1", "0.2", "0.4"},
        {"0.1", "0.1", "0.1"},
    };
    for (const auto& texts : cases) {
        std::vector<double> values;
        Q sum, squares;
        for (const char* t : texts) {
            values.push_back(readNumber(t));
            sum = sum + Q::ofText(t);
            squares = squares + Q::ofText(t) * Q::ofText(t);
        }
        const Q n(static_cast<std::int64_t>(texts.size()));
        const Q mean = sum / n;
        const Q variance = (squares - sum * mean) / (n - Q(1));
        const ReplicateStats s = replicateStats(values);
        const std::string what = texts.front();
        EXPECT_EQ(s.N, static_cast<int>(texts.size()));
        expectNear(s.Mean.Value, mean.value(), what + " mean");
        expectNear(s.Sd.Value, exactSqrt(variance), what + " sd");
        expectNear(s.RsdPercent.Value, 100.0 * exactSqrt(variance) / mean.value(), what + " rsd");
    }
    const ReplicateStats same = replicateStats({0.1, 0.1, 0.1});
    EXPECT_EQ(same.Mean.Value, 0.1);
    EXPECT_EQ(same.Sd.Value, 0.0);
}

struct Item {
    const char* name;
    const char* concentration;         // nullptr: none
    std::vector<const char*> measures; // nullptr: the cycle gave no peak
};

TEST(Calibration, LineLimitsAndFoundConcentrationsEqualTheExactOnes) {
    const std::vector<std::vector<Item>> cases = {
        {{"Blank", "0", {"1000002", "1000005", "1000003"}},
         {"S1", "1", {"1000103", "1000098", "1000101"}},
         {"River A", nullptr, {"1000301", "1000305", "1000300"}},
         {"S2", "2", {"1000204", "1000199", nullptr, "1000201"}},
         {"S5", "5", {"1000497", "1000503", "1000502"}},
         {"Lake", nullptr, {"1000050", nullptr}}},
        {{"Low", "0.05", {"20", "23"}},
         {"Mid", "0.1", {"41", "39"}},
         {"High", "0.25", {"99"}},
         {"Blank", "0", {"1", "2", "0", "1"}},
         {"U", nullptr, {"60"}}},
    };
    for (const auto& items : cases) {
        std::string text;
        std::vector<CycleMeasure> measures;
        Q n, sx, sy, sxx, sxy, syy, blankSum, blankSquares, blankN;
        for (const Item& item : items) {
            text += std::string(text.empty() ? "" : ", ") + item.name;
            if (item.concentration) text += std::string("=") + item.concentration;
            text += "*" + std::to_string(item.measures.size());
            for (const char* m : item.measures) {
                measures.push_back({static_cast<int>(measures.size()) + 1,
                                    m ? std::optional<double>(readNumber(m)) : std::nullopt});
                if (!m || !item.concentration) continue;
                const Q x = Q::ofText(item.concentration), y = Q::ofText(m);
                n = n + Q(1);
                sx = sx + x, sy = sy + y, sxx = sxx + x * x, sxy = sxy + x * y, syy = syy + y * y;
                if (x.n == 0)
                    blankN = blankN + Q(1), blankSum = blankSum + y,
                    blankSquares = blankSquares + y * y;
            }
        }
        measures.push_back({static_cast<int>(measures.size()) + 1, 5.0}); // after the list
        const Q cxx = sxx - sx * sx / n, cxy = sxy - sx * sy / n, cyy = syy - sy * sy / n;
        const Q slope = cxy / cxx, intercept = (sy - slope * sx) / n;
        const Q residualVariance = (cyy - cxy * cxy / cxx) / (n - Q(2));
        const double blankSd =
            exactSqrt((blankSquares - blankSum * blankSum / blankN) / (blankN - Q(1)));

        const SampleList list = parseSampleList(text);
        ASSERT_TRUE(list.Problems.empty()) << text;
        const Calibration c = calibrate(list, measures);
        ASSERT_TRUE(c.Line) << text << ": " << c.LineNote;
        expectNear(c.Line->Slope, slope.value(), text + " slope");
        expectNear(c.Line->Intercept, intercept.value(), text + " intercept");
        expectNear(c.Line->RSquared.Value, (cxy * cxy / (cxx * cyy)).value(), text + " r2");
        expectNear(c.Line->ResidualSd.Value, exactSqrt(residualVariance), text + " s(y/x)");
        EXPECT_EQ(c.Line->Levels, 4) << text;
        ASSERT_EQ(c.Line->Points.size(), static_cast<std::size_t>(n.value())) << text;
        for (const CalibrationPoint& p : c.Line->Points) {
            const Q x = Q::ofDouble(p.Concentration), y = Q::ofDouble(p.Measure);
            EXPECT_NEAR(p.Residual, (y - intercept - slope * x).value(),
                        1e-9 * exactSqrt(residualVariance))
                << text << " cycle " << p.Cycle;
        }
        expectNear(c.Lod.Value, 3.0 * blankSd / std::fabs(slope.value()), text + " lod");
        expectNear(c.Loq.Value, 10.0 * blankSd / std::fabs(slope.value()), text + " loq");

        ASSERT_EQ(c.Samples.size(), items.size());
        for (std::size_t i = 0; i < items.size(); ++i) {
            const SampleResult& r = c.Samples[i];
            if (items[i].concentration) {
                EXPECT_EQ(r.Found.Note, "a standard");
                continue;
            }
            Q sum, m;
            for (const char* t : items[i].measures)
                if (t) sum = sum + Q::ofText(t), m = m + Q(1);
            const Q mean = sum / m;
            const Q offset = (mean - sy / n) / slope;
            const Q variance =
                residualVariance / (slope * slope) * (Q(1) / m + Q(1) / n + offset * offset / cxx);
            EXPECT_EQ(r.Stats.N, static_cast<int>(m.value()));
            expectNear(r.Found.Value, ((mean - intercept) / slope).value(), text + items[i].name);
            expectNear(r.FoundSd.Value, exactSqrt(variance), text + items[i].name + " sd");
        }
    }
}

TEST(Calibration, SaysWhyAFigureIsAbsent) {
    const struct {
        const char* list;
        std::vector<double> measures; // cycles 1, 2, ...; NaN: no peak
        const char *line, *found, *foundSd, *lod;
    } cases[] = {
        {"U*2",
         {5, 6},
         "no standard measured",
         "no calibration line",
         "no calibration line",
         "no blank (concentration 0) measured"},
        {"A=1*2, U",
         {5, 6, 7},
         "fewer than two standard levels measured",
         "no calibration line",
         "no calibration line",
         "no blank (concentration 0) measured"},
        {"B=0*2, S=1*2, U",
         {NAN, NAN, 3, 4, 3},
         "fewer than two standard levels measured",
         "no calibration line",
         "no calibration line",
         "no blank (concentration 0) measured"},
        {"B=0*2, S=1*2, U",
         {7, 7, 7, 7, 7},
         "",
         "the calibration line has slope 0",
         "the calibration line has slope 0",
         "the calibration line has slope 0"},
        {"B=0, S=1*2, U", {1, 4, 5, 3}, "", "", "", "the blank has one injection"},
        {"B=0, S=1, U",
         {1, 4, 3},
         "",
         "",
         "two points leave no scatter about the line",
         "the blank has one injection"},
        {"B=0*2, S=1*2, U", {1, 2, 4, 5}, "", "no measure", "no measure", ""},
    };
    for (const auto& c : cases) {
        std::vector<CycleMeasure> measures;
        for (const double m : c.measures)
            measures.push_back({static_cast<int>(measures.size()) + 1,
                                std::isnan(m) ? std::nullopt : std::optional<double>(m)});
        const Calibration r = calibrate(parseSampleList(c.list), measures);
        const SampleResult& u = r.Samples.back();
        EXPECT_EQ(r.Line.has_value(), *c.line == 0) << c.list;
        EXPECT_EQ(r.LineNote, c.line) << c.list;
        EXPECT_EQ(u.Found.Value.has_value(), *c.found == 0) << c.list;
        EXPECT_EQ(u.Found.Note, c.found) << c.list;
        EXPECT_EQ(u.FoundSd.Value.has_value(), *c.foundSd == 0) << c.list;
        EXPECT_EQ(u.FoundSd.Note, c.foundSd) << c.list;
        EXPECT_EQ(r.Lod.Value.has_value(), *c.lod == 0) << c.list;
        EXPECT_EQ(r.Lod.Note, c.lod) << c.list;
        EXPECT_EQ(r.Loq.Note, c.lod) << c.list;
    }
}

} // namespace
} // namespace varentis
