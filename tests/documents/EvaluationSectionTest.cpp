#include "documents/EvaluationSection.h"

#include "FakeControls.h"
#include "core/Units.h"
#include "documents/DataFile.h"
#include "documents/TextLines.h"

#include <gtest/gtest.h>

#include <map>

using namespace varentis;

namespace {

struct Hooks : DataFileReadHooks {
    void applyPeriod() override {}
    ColumnFactors recomputeScaling() override { return {1.0, 1e-9, 1e-12}; }
};

PointStore somePoints() {
    PointStore p;
    p.startRun(100, false);
    for (int i = 0; i < 50; ++i) p.append(0.1 * i, 1e-9 * (i % 7));
    return p;
}

EvaluationSettings calibrationRun() {
    EvaluationSettings s;
    s.Samples = "Blank=0*3, S1=1*3, Fluss Ä*3";
    s.Measure = "Area";
    s.PeakEnd = "25.5";
    return s;
}

// The rules of a reader that knows only "[Setup]", "[Valves]", "[Info]" and "[Data]": a
// section runs to the next line that is exactly one of them.
std::map<std::string, std::vector<std::string>> fourSections(std::string_view bytes) {
    std::map<std::string, std::vector<std::string>> sections;
    std::string current;
    forEachLine(bytes, [&](std::string_view line) {
        if (line == "[Setup]" || line == "[Valves]" || line == "[Info]" || line == "[Data]")
            current = std::string(line);
        else if (!current.empty())
            sections[current].emplace_back(line);
        return true;
    });
    return sections;
}

} // namespace

TEST(EvaluationSection, ADataFileCarriesTheSettingsAndEveryOtherReaderStillReadsItAll) {
    FakeControls controls = defaultControls();
    controls.memos["Memo1"] = {"River survey", "[Evaluation]", "Samples=not a setting"};
    controls.memos["Memo2"] = {"V1 on 5"};
    const PointStore points = somePoints();
    const std::string plain = writeDataFile(controls, points, {});
    EXPECT_EQ(plain.find("[Evaluation]\r\n"), std::string::npos); // nothing set: no section

    evaluationToControls(controls, calibrationRun());
    const std::string bytes = writeDataFile(controls, points, {});
    const std::size_t info = bytes.find("[Info]\r\n");
    const std::size_t section = bytes.find("[Evaluation]\r\nSamples=");
    const std::size_t data = bytes.find("[Data]\r\n");
    ASSERT_NE(section, std::string::npos) << bytes;
    EXPECT_LT(info, section);
    EXPECT_LT(section, data);
    EXPECT_EQ(bytes.substr(section, data - section),
              "[Evaluation]\r\nSamples=Blank=0*3, S1=1*3, Fluss \xC4*3\r\nMeasure=Area\r\n"
              "Peak end=25.5\r\n");
    // Everything else is the file without the section, byte for byte.
    EXPECT_EQ(bytes.substr(0, section) + bytes.substr(data), plain);

    // A reader of the four sections loses nothing: the settings, the program and every point
    // are there, and the evaluation lines follow the description.
    auto four = fourSections(bytes);
    EXPECT_EQ(four["[Setup]"].size(), 29u);
    EXPECT_EQ(four["[Valves]"], std::vector<std::string>{"V1 on 5"});
    EXPECT_EQ(four["[Data]"].size(), 50u);
    ASSERT_EQ(four["[Info]"].size(), 3u + 4u);
    EXPECT_EQ(four["[Info]"][1], "[Evaluation] ");

    // This program takes it back into the fields, and the description as it was typed.
    FakeControls opened = defaultControls();
    PointStore read;
    Hooks hooks;
    EXPECT_TRUE(readDataFile(bytes, opened, read, hooks).evaluationFound);
    EXPECT_EQ(evaluationFromControls(opened), calibrationRun());
    EXPECT_EQ(opened.memos["Memo1"][0], "River survey");
    EXPECT_EQ(opened.memos["Memo1"].size(), 3u);
    EXPECT_EQ(read.Count, 50);

    // A file without the section leaves the fields as they are.
    EXPECT_FALSE(readDataFile(plain, opened, read, hooks).evaluationFound);
    EXPECT_EQ(evaluationFromControls(opened), calibrationRun());
}

TEST(EvaluationSection, OnlyAWholeSectionOfItsKeysIsTakenFromTheDescription) {
    struct Case {
        std::vector<std::string_view> lines;
        bool taken;
        std::size_t kept;
    };
    const Case cases[] = {
        {{"a", "[Evaluation]", "Samples=A*2", "Smoothing=9"}, true, 1},
        {{"[Evaluation]"}, true, 0},
        {{"[Evaluation]", "Samples=A", "a note"}, false, 3},
        {{"[Evaluation]", "Samples A"}, false, 2},
        {{"[Evaluation] ", "Samples=A"}, false, 2},
        {{"x", "Samples=A"}, false, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines.size());
        std::vector<std::string_view> lines = c.lines;
        EvaluationSettings s;
        EXPECT_EQ(takeEvaluationSection(lines, s), c.taken);
        EXPECT_EQ(lines.size(), c.kept);
        if (c.taken && c.kept == 1) {
            EXPECT_EQ(s.Samples, "A*2");
            EXPECT_EQ(s.Smoothing, "9");
        }
    }
}

TEST(EvaluationSection, TheSettingsFileHasTheSectionOnlyWhileSomethingIsSet) {
    FakeControls controls = defaultControls();
    std::array<std::string, 6> zero, factor;
    GraphColors colors;
    PageSetupValues page;
    SettingsTargets targets{controls, zero, factor, colors, page};

    ProfileStore store;
    storeSettings(store, targets);
    EXPECT_FALSE(store.hasSection("Evaluation"));

    evaluationToControls(controls, calibrationRun());
    storeSettings(store, targets);
    ProfileStore reread = ProfileStore::parse(store.serialize());
    EXPECT_EQ(reread.readString("Evaluation", "Samples", "?"), calibrationRun().Samples);
    EXPECT_EQ(reread.readString("Evaluation", "Baseline start", "?"), "");

    FakeControls next = defaultControls();
    SettingsTargets nextTargets{next, zero, factor, colors, page};
    loadActivationSettings(reread, nextTargets);
    EXPECT_EQ(evaluationFromControls(next), calibrationRun());

    evaluationToControls(controls, {});
    storeSettings(store, targets);
    EXPECT_FALSE(store.hasSection("Evaluation"));
}
