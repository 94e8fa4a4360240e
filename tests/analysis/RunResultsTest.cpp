#include "analysis/ResultsExport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>
#include <string>

using namespace varentis;

namespace {

// A run of `cycles` 20 s cycles at 0.1 s points, each with a Gaussian peak at 8 s whose height
// is 1 nA per unit of concentration of the cycle's sample, on a 0.2 nA baseline with noise.
struct StoredRun {
    std::vector<double> times, signals;
};
StoredRun makeRun(const std::vector<double>& concentrations, double noise, unsigned seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> gauss(0.0, 1.0);
    StoredRun run;
    double t = 0.0;
    for (double c : concentrations)
        for (int i = 0; i < 200; ++i, t += 0.1) {
            const double tc = i * 0.1;
            run.times.push_back(t);
            run.signals.push_back(2e-10 +
                                  c * 1e-9 * std::exp(-0.5 * std::pow((tc - 8.0) / 1.0, 2)) +
                                  noise * 1e-9 * gauss(random));
        }
    return run;
}

EvaluationSetup setupFor(const std::string& samples, const std::string& measure = "") {
    EvaluationSettings s;
    s.Samples = samples;
    s.Measure = measure;
    return resolveEvaluation(s, 20.0, {4.0});
}

// A CSV reader written from the format's rules alone: fields split at commas outside quotes,
// "" inside quotes is one quote, records end at CRLF.
std::vector<std::vector<std::string>> readCsv(const std::string& text) {
    std::vector<std::vector<std::string>> records(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                records.back().back() += text[++i];
            else if (c == '"')
                quoted = false;
            else
                records.back().back() += c;
        } else if (c == '"')
            quoted = true;
        else if (c == ',')
            records.back().emplace_back();
        else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
            records.emplace_back(1);
        } else
            records.back().back() += c;
    }
    if (records.back().size() == 1 && records.back()[0].empty()) records.pop_back();
    return records;
}

} // namespace

TEST(RunResults, RowsTakenAsThePointsArriveEqualOneEvaluationOfTheWholeRun) {
    const StoredRun run = makeRun({0, 0, 1, 1, 2, 2, 3}, 0.01, 7);
    const int n = static_cast<int>(run.times.size()) - 37; // the last cycle still running
    ResultsTracker whole, live;
    whole.reset(setupFor("Blank=0*2, S1=1*2, S2=2*2, X"), 20.0, 1e-3);
    live.reset(whole.setup(), 20.0, 1e-3);
    whole.update(run.times, run.signals, n);
    std::vector<std::size_t> changedAt;
    for (int count = 0; count <= n; count += 11)
        changedAt.push_back(live.update(run.times, run.signals, count));
    live.update(run.times, run.signals, n);

    ASSERT_EQ(whole.rows().size(), 7u);
    ASSERT_EQ(live.rows().size(), 7u);
    for (std::size_t i = 0; i < 7; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(live.rows()[i].Cycle.First, whole.rows()[i].Cycle.First);
        EXPECT_EQ(live.rows()[i].Cycle.Count, whole.rows()[i].Cycle.Count);
        EXPECT_EQ(live.rows()[i].Result.Height, whole.rows()[i].Result.Height);
        EXPECT_EQ(live.rows()[i].Result.Area, whole.rows()[i].Result.Area);
        EXPECT_EQ(flagText(live.rows()[i].Result), flagText(whole.rows()[i].Result));
    }
    EXPECT_EQ(flagText(whole.rows()[6].Result), "incomplete");
    EXPECT_EQ(flagText(whole.rows()[0].Result), "no peak");
    EXPECT_EQ(whole.rows()[6].Sample, 3u);
    // Only the running cycle and the ones after it are read again.
    for (std::size_t i = 1; i < changedAt.size(); ++i) EXPECT_LE(changedAt[i - 1], changedAt[i]);

    // A shorter store is a new run: the rows start over.
    EXPECT_EQ(live.update(run.times, run.signals, 150), 0u);
    EXPECT_EQ(live.rows().size(), 1u);

    const Calibration cal = whole.calibration();
    ASSERT_TRUE(cal.Line);
    EXPECT_NEAR(cal.Line->Slope, 1e-9, 2e-11);
    EXPECT_EQ(cal.Samples[3].Stats.N, 0); // the incomplete cycle counts for nothing
}

TEST(RunResults, SettingsThatCannotBeReadKeepTheirDefaultAndSayWhich) {
    struct Case {
        int key;
        const char* typed;
        bool noted;
    };
    const Case cases[] = {{1, "Area", false}, {1, "Peak", true},   {2, "abc", true},
                          {3, "-1", true},    {4, " 5.5 ", false}, {5, "1e999", true},
                          {6, "7", false},    {6, "2.5", true},    {6, "0", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(kEvaluationKeys[c.key]) + "=" + c.typed);
        EvaluationSettings s;
        evaluationField(s, c.key) = c.typed;
        EXPECT_FALSE(s.empty());
        const EvaluationSetup setup = resolveEvaluation(s, 20.0, {4.0});
        ASSERT_EQ(setup.Notes.size(), c.noted ? 1u : 0u);
        if (c.noted) {
            EXPECT_EQ(setup.Notes[0].Key, c.key);
        }
        const EvaluationWindows defaults = EvaluationWindows::forCycle(20.0, {4.0});
        if (c.noted && c.key == 3) {
            EXPECT_EQ(setup.Windows.BaselineEnd, defaults.BaselineEnd);
        }
        if (c.key == 4 && !c.noted) {
            EXPECT_EQ(setup.Windows.PeakStart, 5.5);
        }
    }
    EXPECT_TRUE(EvaluationSettings{}.empty());
}

TEST(RunResults, TheCsvReadsBackFieldForFieldAndTheSummaryHasNullForAbsentFigures) {
    const StoredRun run = makeRun({0, 0, 1, 1, 2}, 0.01, 3);
    ResultsTracker results;
    results.reset(setupFor("Blank=0*2, \"S1\", x=1 *2, River A, ,S9=9"), 20.0, 1e-3);
    results.update(run.times, run.signals, static_cast<int>(run.times.size()));
    const SignalUnit unit{"nA", 1e-9, 1e-10};

    const auto records = readCsv(resultsCsv(results, unit));
    ASSERT_EQ(records.size(), 6u);
    std::string header;
    for (const auto& f : records[0]) header += (header.empty() ? "" : ",") + f;
    EXPECT_EQ(header, kResultsCsvHeader);
    for (std::size_t i = 1; i < records.size(); ++i) {
        SCOPED_TRACE(i);
        const auto& r = records[i];
        ASSERT_EQ(r.size(), 11u);
        const InjectionRow& row = results.rows()[i - 1];
        EXPECT_EQ(std::stoi(r[0]), static_cast<int>(i));
        EXPECT_DOUBLE_EQ(std::stod(r[1]), 20.0 * (i - 1));
        EXPECT_NEAR(std::stod(r[4]), (row.Result.Baseline - 1e-10) / 1e-9, 1e-6);
        EXPECT_NEAR(std::stod(r[5]), row.Result.Height / 1e-9, 1e-6);
        EXPECT_NEAR(std::stod(r[6]), row.Result.Area / 1e-9, 1e-5);
        EXPECT_EQ(r[10], "nA");
    }
    // The quoted name keeps its quotes; the unreadable items are left out.
    EXPECT_EQ(records[3][2], "\"S1\"");
    EXPECT_EQ(records[3][3], "");
    EXPECT_EQ(records[1][3], "0");
    EXPECT_EQ(records[4][2], "x");
    EXPECT_EQ(records[1][9], "no peak");

    const std::string json = resultsSummaryJson(results, unit);
    EXPECT_NE(json.find("\"sample\": \"\\\"S1\\\"\", \"n\": 1, \"concentration\": null"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"levels\": 2}"), std::string::npos) << json; // the blank is a level
    EXPECT_NE(
        json.find("\"sample\": \"River A\", \"n\": 0, \"concentration\": null, \"mean\": null"),
        std::string::npos);
    EXPECT_NE(json.find("\"measure\": \"height\",\n  \"unit\": \"nA\""), std::string::npos) << json;
}
