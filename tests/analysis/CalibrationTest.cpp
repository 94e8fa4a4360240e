#include "analysis/Calibration.h"

#include "core/Decimal.h"
#include "core/NumberText.h"

#include <cmath>
#include <gtest/gtest.h>

namespace varentis {
namespace {

// An exact fraction for the reference figures; an overflow of its 128 bits fails the test.
struct Q {
    Int128 n = 0, d = 1;
    Q(std::int64_t v = 0) : n(v) {}
    Q(Int128 num, Int128 den) : n(den < 0 ? -num : num), d(den < 0 ? -den : den) {
        Int128 a = n < 0 ? -n : n, b = d;
        while (b != 0) a %= b, std::swap(a, b);
        if (a > 1) n /= a, d /= a;
    }
    static Q ofText(const char* t) { return of(readDecimal(t).Number); }
    static Q of(double v) { return of(decimalNear(v)); }
    static Q of(const Decimal& x) {
        Int128 p = 1;
        for (int i = 0; i < std::abs(x.Exponent); ++i) p *= 10;
        return x.Exponent < 0 ? Q(x.Digits, p) : Q(x.Digits * p, 1);
    }
    static Int128 mul(Int128 a, Int128 b) {
        Int128 r = 0;
        if (__builtin_mul_overflow(a, b, &r)) ADD_FAILURE() << "the reference overflows";
        return r;
    }
    friend Q operator+(const Q& a, const Q& b) {
        return Q(mul(a.n, b.d) + mul(b.n, a.d), mul(a.d, b.d));
    }
    friend Q operator-(const Q& a, const Q& b) { return a + Q(-b.n, b.d); }
    friend Q operator*(const Q& a, const Q& b) {
        const Q x(a.n, b.d), y(b.n, a.d); // crosswise first keeps the digits small
        return Q(mul(x.n, y.n), mul(x.d, y.d));
    }
    friend Q operator/(const Q& a, const Q& b) { return a * Q(b.d, b.n); }
    long double value() const { return static_cast<long double>(n) / d; }
    double root() const { return static_cast<double>(std::sqrt(value())); }
};

// Agreement with the exact figure to 1e-9 relative (an exact 0 must come out as 0).
void expectNear(const std::optional<double>& actual, long double exact, const std::string& what) {
    ASSERT_TRUE(actual.has_value()) << what;
    EXPECT_NEAR(*actual, static_cast<double>(exact), 1e-9 * std::fabs(static_cast<double>(exact)))
        << what;
}

struct Item {
    const char* name;
    const char* concentration;         // nullptr: none
    std::vector<const char*> measures; // nullptr: the cycle gave no peak
};

TEST(Calibration, StatisticsLineLimitsAndFoundConcentrationsEqualTheExactOnes) {
    // Measures far from 0 lose every digit of their scatter to a sum of squares in doubles.
    const std::vector<std::vector<Item>> cases = {
        {{"Blank", "0", {"1000002", "1000005", "1000003"}},
         {"S1", "1", {"1000103", "1000098", "1000101"}},
         {"River A", nullptr, {"1000301", "1000305", "1000300"}},
         {"S2", "2", {"1000204", "1000199", nullptr, "1000201"}},
         {"S5", "5", {"1000497", "1000503", "1000502"}},
         {"Lake", nullptr, {"1000050", nullptr, "1000047"}},
         {"Far", nullptr, {"1000000001", "1000000002", "1000000004"}}},
        {{"Low", "0.05", {"20.1", "23.3"}},
         {"Mid", "0.1", {"41", "39"}},
         {"High", "0.25", {"99", "101"}},
         {"Blank", "0", {"1", "2", "0", "1"}},
         {"U", nullptr, {"0.1", "0.1", "0.1"}}},
    };
    for (const auto& items : cases) {
        std::string text;
        std::vector<CycleMeasure> measures;
        Q n, sx, sy, sxx, sxy, syy;
        for (const Item& item : items) {
            text += std::string(text.empty() ? "" : ", ") + item.name +
                    (item.concentration ? std::string("=") + item.concentration : "") + "*" +
                    std::to_string(item.measures.size());
            for (const char* m : item.measures) {
                measures.push_back({static_cast<int>(measures.size()) + 1,
                                    m ? std::optional<double>(readNumber(m)) : std::nullopt});
                if (!m || !item.concentration) continue;
                const Q x = Q::ofText(item.concentration), y = Q::ofText(m);
                n = n + 1, sx = sx + x, sy = sy + y, sxx = sxx + x * x, sxy = sxy + x * y;
                syy = syy + y * y;
            }
        }
        measures.push_back({static_cast<int>(measures.size()) + 1, 5.0}); // after the list
        const Q cxx = sxx - sx * sx / n, cxy = sxy - sx * sy / n, cyy = syy - sy * sy / n;
        const Q slope = cxy / cxx, intercept = (sy - slope * sx) / n;
        const Q residualVariance = (cyy - cxy * cxy / cxx) / (n - 2);

        const Calibration c = calibrate(parseSampleList(text), measures);
        ASSERT_TRUE(c.Line) << text << ": " << c.LineNote;
        expectNear(c.Line->Slope, slope.value(), text + " slope");
        expectNear(c.Line->Intercept, intercept.value(), text + " intercept");
        expectNear(c.Line->RSquared.Value, (cxy * cxy / (cxx * cyy)).value(), text + " r2");
        expectNear(c.Line->ResidualSd.Value, residualVariance.root(), text + " s(y/x)");
        EXPECT_EQ(c.Line->Levels, 4) << text;
        EXPECT_EQ(c.Line->Points.size(), static_cast<std::size_t>(n.value())) << text;
        for (const CalibrationPoint& p : c.Line->Points) {
            const Q line = intercept + slope * Q::of(p.Concentration);
            EXPECT_NEAR(p.Residual, static_cast<double>((Q::of(p.Measure) - line).value()),
                        1e-9 * residualVariance.root())
                << text << " cycle " << p.Cycle;
        }

        ASSERT_EQ(c.Samples.size(), items.size());
        for (std::size_t i = 0; i < items.size(); ++i) {
            const SampleResult& r = c.Samples[i];
            const std::string what = text + " " + items[i].name;
            Q m, sum, squares;
            for (const char* t : items[i].measures)
                if (t)
                    m = m + 1, sum = sum + Q::ofText(t),
                    squares = squares + Q::ofText(t) * Q::ofText(t);
            const Q mean = sum / m;
            EXPECT_EQ(r.Stats.N, static_cast<int>(m.value())) << what;
            expectNear(r.Stats.Mean.Value, mean.value(), what + " mean");
            const double sd = ((squares - sum * mean) / (m - 1)).root();
            expectNear(r.Stats.Sd.Value, sd, what + " sd");
            expectNear(r.Stats.RsdPercent.Value, 100 * sd / mean.value(), what + " rsd");
            if (items[i].concentration && Q::ofText(items[i].concentration).n == 0) {
                expectNear(c.Lod.Value, 3 * sd / std::fabs(slope.value()), text + " lod");
                expectNear(c.Loq.Value, 10 * sd / std::fabs(slope.value()), text + " loq");
            }
            if (items[i].concentration) {
                EXPECT_EQ(r.Found.Note, "a standard") << what;
                continue;
            }
            const Q offset = (mean - sy / n) / slope;
            const Q variance =
                residualVariance / (slope * slope) * (Q(1) / m + Q(1) / n + offset * offset / cxx);
            expectNear(r.Found.Value, ((mean - intercept) / slope).value(), what + " found");
            expectNear(r.FoundSd.Value, variance.root(), what + " found sd");
        }
    }
}

std::string noteOf(const Figure& f) { return f.Value ? (f.Note.empty() ? "" : "both") : f.Note; }

TEST(Calibration, SaysWhyAFigureIsAbsent) {
    const struct {
        const char* list;
        std::vector<double> measures; // cycles 1, 2, ...; NaN: no peak
        // line | found (and its SD) | its SD when found | LOD and LOQ | RSD of the last sample
        const char* notes;
    } cases[] = {
        {"U*2", {5, 6}, "no standard measured|no calibration line|no blank|"},
        {"A=1*2, U*2", {5, 6, 7, -7}, "fewer than two levels|no calibration line|no blank|mean 0"},
        {"B=0*2, S=1*2, U",
         {NAN, NAN, 3, 4, 3},
         "fewer than two levels|no calibration line|no blank|one injection"},
        {"B=0*2, S=1*2, U", {7, 7, 7, 7, 7}, "|slope 0|slope 0|one injection"},
        {"B=0, S=1*2, U", {1, 4, 5, 3}, "|||one blank injection|one injection"},
        {"B=0, S=1, U", {1, 4, 3}, "||only two points|one blank injection|one injection"},
        {"B=0*2, S=1*2, U", {1, 2, 4, 5}, "|no measure||no measure"},
    };
    for (const auto& c : cases) {
        std::vector<CycleMeasure> measures;
        for (const double m : c.measures)
            measures.push_back({static_cast<int>(measures.size()) + 1,
                                std::isnan(m) ? std::nullopt : std::optional<double>(m)});
        const Calibration r = calibrate(parseSampleList(c.list), measures);
        const SampleResult& u = r.Samples.back();
        EXPECT_EQ(r.Line.has_value(), r.LineNote.empty()) << c.list;
        EXPECT_EQ(noteOf(r.Lod), noteOf(r.Loq)) << c.list;
        const std::string sd = u.Found.Value ? "|" + noteOf(u.FoundSd) : "";
        EXPECT_TRUE(u.Found.Value || u.FoundSd.Note == u.Found.Note) << c.list;
        EXPECT_EQ(r.LineNote + "|" + noteOf(u.Found) + sd + "|" + noteOf(r.Lod) + "|" +
                      noteOf(u.Stats.RsdPercent),
                  c.notes)
            << c.list;
    }
}

} // namespace
} // namespace varentis
